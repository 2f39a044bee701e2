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
// kept, as the user chose it.
std::unique_ptr<CommandBackend> pcmanfmBackend(const QString& name, const QString& program,
                                               const QProcessEnvironment& environment,
                                               QString linkFolder) {
    return std::make_unique<CommandBackend>(
        name,
        [program](const QString& path) {
            return QList<ProcessStep>{{program, {QStringLiteral("--set-wallpaper=") + path}}};
        },
        environment, std::move(linkFolder));
}

} // namespace

std::unique_ptr<CommandBackend> CommandBackend::lxqt(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    return pcmanfmBackend(QStringLiteral("lxqt"), QStringLiteral("pcmanfm-qt"), environment,
                          std::move(linkFolder));
}

std::unique_ptr<CommandBackend> CommandBackend::lxde(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    return pcmanfmBackend(QStringLiteral("lxde"), QStringLiteral("pcmanfm"), environment,
                          std::move(linkFolder));
}

std::unique_ptr<CommandBackend> CommandBackend::sway(const QProcessEnvironment& environment,
                                                     QString linkFolder) {
    // sway restarts its own swaybg for the new setting and keeps it after we exit.
    return std::make_unique<CommandBackend>(
        QStringLiteral("sway"),
        [](const QString& path) {
            return QList<ProcessStep>{
                {QStringLiteral("swaymsg"),
                 {QStringLiteral("output * bg %1 fill").arg(swayQuoted(path))}}};
        },
        environment, std::move(linkFolder));
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

void CommandBackend::apply(const QString& bitmapPath, const QImage&) {
    runner_.cancel(); // the newest picture wins over commands still running
    QString path = bitmapPath;
    if (links_) {
        QString error;
        path = links_->prepare(bitmapPath, &error);
        if (path.isEmpty()) {
            reporter_.report(QStringLiteral("link"), error);
            path = bitmapPath;
        }
    }
    runner_.runSequence(makeSteps_(path),
                        [this](const ProcessOutcome& outcome, const ProcessStep& step) {
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
