#include "wallpaper/backends/commandbackend.h"

#include <utility>

namespace vlm {

QStringList splitCommandLine(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false;
    enum class Quote { None, Single, Double } quote = Quote::None;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        if (quote == Quote::Single) {
            if (c == u'\'')
                quote = Quote::None;
            else
                word += c;
        } else if (quote == Quote::Double) {
            if (c == u'"') {
                quote = Quote::None;
            } else if (c == u'\\' && i + 1 < commandLine.size() &&
                       QStringView(u"\"\\$`").contains(commandLine.at(i + 1))) {
                word += commandLine.at(++i);
            } else {
                word += c;
            }
        } else if (c.isSpace()) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == u'\'')
                quote = Quote::Single;
            else if (c == u'"')
                quote = Quote::Double;
            else if (c == u'\\' && i + 1 < commandLine.size())
                word += commandLine.at(++i);
            else
                word += c;
        }
    }
    if (quote != Quote::None)
        return {};
    if (inWord)
        words.append(word);
    return words;
}

QString swayQuoted(const QString& path) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == u'"' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

CommandBackend::CommandBackend(QString name, StepMaker makeSteps,
                               const QProcessEnvironment& environment,
                               std::optional<QString> linkFolder, std::chrono::milliseconds timeout,
                               FailureReporter::Sink sink)
    : name_(std::move(name)), makeSteps_(std::move(makeSteps)), runner_(environment, timeout),
      reporter_(name_, std::move(sink)) {
    if (linkFolder)
        links_.emplace(std::move(*linkFolder));
}

std::unique_ptr<CommandBackend> CommandBackend::userCommand(const QString& commandLine,
                                                            const QProcessEnvironment& environment,
                                                            std::chrono::milliseconds timeout,
                                                            FailureReporter::Sink sink) {
    const QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        return nullptr;
    auto makeSteps = [words](const QString& path) {
        QStringList arguments = words.mid(1);
        bool placed = false;
        for (QString& argument : arguments) {
            if (argument.contains(QStringLiteral("%f"))) {
                argument.replace(QStringLiteral("%f"), path);
                placed = true;
            }
        }
        if (!placed)
            arguments.append(path);
        return QList<ProcessStep>{{words.first(), arguments}};
    };
    return std::make_unique<CommandBackend>(QStringLiteral("command"), std::move(makeSteps),
                                            environment, std::nullopt, timeout, std::move(sink));
}

namespace {

// LXQt and LXDE: their file managers draw the desktop. The desktop's own wallpaper mode is
// kept, as the user chose it, unless the program composes the wallpaper: then `mode` shows the
// composition unchanged, and the desktop takes it as `form`.
std::unique_ptr<CommandBackend> pcmanfmBackend(const QString& name, const QString& program,
                                               const QProcessEnvironment& environment,
                                               QString linkFolder, ComposedForm form,
                                               const QString& mode) {
    auto backend = std::make_unique<CommandBackend>(
        name,
        [program](const QString& path) {
            return QList<ProcessStep>{{program, {QStringLiteral("--set-wallpaper=") + path}}};
        },
        environment, std::move(linkFolder));
    backend->setComposedSteps(
        form, [program, mode](const ComposedWallpaper&, const QStringList& paths) {
            return QList<ProcessStep>{{program,
                                       {QStringLiteral("--set-wallpaper=") + paths.value(0),
                                        QStringLiteral("--wallpaper-mode=") + mode}}};
        });
    return backend;
}

} // namespace

std::unique_ptr<CommandBackend> CommandBackend::lxqt(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    // pcmanfm-qt has no mode across screens: every screen shows the first monitor's picture.
    return pcmanfmBackend(QStringLiteral("lxqt"), QStringLiteral("pcmanfm-qt"), environment,
                          std::move(linkFolder), ComposedForm::FirstMonitor,
                          QStringLiteral("stretch"));
}

std::unique_ptr<CommandBackend> CommandBackend::lxde(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    // pcmanfm's "screen" stretches one picture over all monitors.
    return pcmanfmBackend(QStringLiteral("lxde"), QStringLiteral("pcmanfm"), environment,
                          std::move(linkFolder), ComposedForm::LayoutFile,
                          QStringLiteral("screen"));
}

std::unique_ptr<CommandBackend> CommandBackend::sway(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    // sway restarts its own swaybg for the new setting and keeps it after we exit.
    auto backend = std::make_unique<CommandBackend>(
        QStringLiteral("sway"),
        [](const QString& path) {
            return QList<ProcessStep>{
                {QStringLiteral("swaymsg"),
                 {QStringLiteral("output * bg %1 fill").arg(swayQuoted(path))}}};
        },
        environment, std::move(linkFolder));
    // Each output its own picture, stretched over exactly its size, in one message: sway
    // starts its swaybg anew for every output command it gets.
    backend->setComposedSteps(ComposedForm::MonitorFiles, [](const ComposedWallpaper& wallpaper,
                                                             const QStringList& paths) {
        QStringList commands;
        for (qsizetype i = 0; i < wallpaper.monitors.size() && i < paths.size(); ++i) {
            const QString& output = wallpaper.monitors[i].name;
            if (!output.isEmpty())
                commands.append(QStringLiteral("output %1 bg %2 stretch")
                                    .arg(swayQuoted(output), swayQuoted(paths[i])));
        }
        if (commands.isEmpty()) // no output names known: the first picture on all
            commands.append(QStringLiteral("output * bg %1 stretch").arg(swayQuoted(paths[0])));
        return QList<ProcessStep>{{QStringLiteral("swaymsg"), {commands.join(u"; ")}}};
    });
    return backend;
}

std::unique_ptr<CommandBackend> CommandBackend::hyprpaper(const QProcessEnvironment& environment,
                                                          QString linkFolder) {
    // hyprpaper keeps preloaded pictures by path: load the fresh name, show it on every
    // monitor (empty monitor name), then drop what is no longer shown.
    return std::make_unique<CommandBackend>(
        QStringLiteral("hyprland"),
        [](const QString& path) {
            const QString hyprctl = QStringLiteral("hyprctl");
            const QString hyprpaper = QStringLiteral("hyprpaper");
            return QList<ProcessStep>{
                {hyprctl, {hyprpaper, QStringLiteral("preload"), path}},
                {hyprctl, {hyprpaper, QStringLiteral("wallpaper"), u',' + path}},
                {hyprctl, {hyprpaper, QStringLiteral("unload"), QStringLiteral("unused")}}};
        },
        environment, std::move(linkFolder));
}

void CommandBackend::setComposedSteps(ComposedForm form, ComposedStepMaker makeSteps) {
    composedForm_ = form;
    makeComposedSteps_ = std::move(makeSteps);
}

QString CommandBackend::linked(const QString& bitmapPath) {
    if (!links_)
        return bitmapPath;
    QString error;
    const QString path = links_->prepare(bitmapPath, &error);
    if (!path.isEmpty())
        return path;
    reporter_.report(QStringLiteral("link"), error);
    return bitmapPath;
}

void CommandBackend::apply(const QString& bitmapPath, const QImage&) {
    runner_.cancel(); // the newest picture wins over commands still running
    run(makeSteps_(linked(bitmapPath)));
}

void CommandBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    if (!makeComposedSteps_) {
        apply(wallpaper.bitmaps.value(0), QImage());
        return;
    }
    runner_.cancel();
    QStringList paths;
    if (composedForm_ == ComposedForm::LayoutFile)
        paths.append(linked(wallpaper.layoutBitmap));
    else if (composedForm_ == ComposedForm::MonitorFiles)
        for (const QString& bitmap : wallpaper.bitmaps)
            paths.append(linked(bitmap));
    else
        paths.append(linked(wallpaper.bitmaps.value(0)));
    run(makeComposedSteps_(wallpaper, paths));
}

void CommandBackend::run(const QList<ProcessStep>& steps) {
    runner_.runSequence(steps, [this](const ProcessOutcome& outcome, const ProcessStep& step) {
        if (!outcome.ok()) {
            reporter_.report(outcome.kind(step), outcome.describe(step));
            reportFinished(false);
            return;
        }
        if (links_)
            links_->dropPrevious();
        reportFinished(true);
    });
}

} // namespace vlm
