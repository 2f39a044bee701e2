#include "wallpaper/backends/gsettingsbackend.h"

#include <QUrl>
#include <utility>

namespace vlm {

QString gvariantStringLiteral(const QString& value) {
    QString literal = QStringLiteral("'");
    for (const QChar c : value) {
        if (c == u'\'' || c == u'\\')
            literal += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            literal += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            literal += c;
    }
    return literal + u'\'';
}

GSettingsBackend::GSettingsBackend(QString name, QList<QList<GSettingsKey>> alternatives,
                                   const QProcessEnvironment& environment, QString linkFolder,
                                   std::chrono::milliseconds timeout, FailureReporter::Sink sink)
    : name_(std::move(name)), alternatives_(std::move(alternatives)), runner_(environment, timeout),
      links_(std::move(linkFolder)), reporter_(name_, std::move(sink)) {}

std::unique_ptr<GSettingsBackend> GSettingsBackend::gnome(const QProcessEnvironment& environment,
                                                          QString linkFolder) {
    // The dark key too: a user in dark mode would otherwise never see a change.
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    return std::make_unique<GSettingsBackend>(
        QStringLiteral("gnome"),
        QList<QList<GSettingsKey>>{{{schema, QStringLiteral("picture-uri")},
                                    {schema, QStringLiteral("picture-uri-dark")}}},
        environment, std::move(linkFolder));
}

std::unique_ptr<GSettingsBackend> GSettingsBackend::cinnamon(const QProcessEnvironment& environment,
                                                             QString linkFolder) {
    return std::make_unique<GSettingsBackend>(
        QStringLiteral("cinnamon"),
        QList<QList<GSettingsKey>>{
            {{QStringLiteral("org.cinnamon.desktop.background"), QStringLiteral("picture-uri")}}},
        environment, std::move(linkFolder));
}

std::unique_ptr<GSettingsBackend> GSettingsBackend::mate(const QProcessEnvironment& environment,
                                                         QString linkFolder) {
    return std::make_unique<GSettingsBackend>(
        QStringLiteral("mate"),
        QList<QList<GSettingsKey>>{
            {{QStringLiteral("org.mate.background"), QStringLiteral("picture-filename"), false}}},
        environment, std::move(linkFolder));
}

std::unique_ptr<GSettingsBackend> GSettingsBackend::deepin(const QProcessEnvironment& environment,
                                                           QString linkFolder) {
    const QString gnomeSchema = QStringLiteral("org.gnome.desktop.background");
    return std::make_unique<GSettingsBackend>(
        QStringLiteral("deepin"),
        QList<QList<GSettingsKey>>{{{QStringLiteral("com.deepin.wrap.gnome.desktop.background"),
                                     QStringLiteral("picture-uri")}},
                                   {{gnomeSchema, QStringLiteral("picture-uri")}}},
        environment, std::move(linkFolder));
}

void GSettingsBackend::apply(const QString& bitmapPath, const QImage&) {
    // Back to the desktop's own placement once the program stops composing.
    show(bitmapPath, spanned_ ? Options::Reset : Options::Leave);
    spanned_ = false;
}

void GSettingsBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    spanned_ = true;
    show(wallpaper.layoutBitmap, Options::Span);
}

void GSettingsBackend::show(const QString& bitmapPath, Options options) {
    runner_.cancel(); // a newer picture supersedes writes still running
    QString error;
    QString path = links_.prepare(bitmapPath, &error);
    if (path.isEmpty()) {
        // The plain path still works whenever it differs from what the desktop shows.
        reporter_.report(QStringLiteral("link"), error);
        path = bitmapPath;
    }
    tryAlternative(0, path, options);
}

void GSettingsBackend::tryAlternative(int index, const QString& path, Options options) {
    QList<ProcessStep> steps;
    // Each schema of the set keeps its placement in picture-options.
    const QString optionsKey = QStringLiteral("picture-options");
    const QString schema = alternatives_.at(index).first().schema;
    if (options == Options::Span)
        steps.append({QStringLiteral("gsettings"),
                      {QStringLiteral("set"), schema, optionsKey, QStringLiteral("'spanned'")}});
    else if (options == Options::Reset)
        steps.append({QStringLiteral("gsettings"), {QStringLiteral("reset"), schema, optionsKey}});
    for (const GSettingsKey& key : alternatives_.at(index)) {
        const QString value =
            key.uri ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) : path;
        steps.append({QStringLiteral("gsettings"),
                      {QStringLiteral("set"), key.schema, key.key, gvariantStringLiteral(value)}});
    }
    runner_.runSequence(steps, [this, index, path, options](const ProcessOutcome& outcome,
                                                            const ProcessStep& step) {
        if (outcome.ok()) {
            links_.dropPrevious();
            reportFinished(true);
            return;
        }
        const bool missingTool = outcome.status == ProcessOutcome::Status::NotFound;
        if (!missingTool && index + 1 < alternatives_.size()) {
            tryAlternative(index + 1, path, options);
            return;
        }
        reporter_.report(outcome.kind(step), outcome.describe(step) + QStringLiteral(" (") +
                                                 step.arguments.mid(1, 2).join(u' ') + u')');
        reportFinished(false);
    });
}

} // namespace vlm
