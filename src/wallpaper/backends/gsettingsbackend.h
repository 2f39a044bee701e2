#pragma once

#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/backends/processrunner.h"
#include "wallpaper/wallpaperbackend.h"

#include <QList>

namespace vlm {

struct GSettingsKey {
    QString schema;
    QString key;
    bool uri = true; // a file:// URI; false = a plain path
};

// Desktops that read their wallpaper from GSettings, set through the gsettings tool (GIO is not
// linked). Each change names a fresh path (AlternatingPath) because these desktops ignore a key
// set to the value it already has.
class GSettingsBackend final : public WallpaperBackend {
public:
    // alternatives: key sets tried in order until one is accepted (a desktop's own schema may
    // be missing, e.g. the Deepin wrapper); every key of a set is written.
    GSettingsBackend(QString name, QList<QList<GSettingsKey>> alternatives,
                     const QProcessEnvironment& environment, QString linkFolder,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5),
                     FailureReporter::Sink sink = {});

    static std::unique_ptr<GSettingsBackend> gnome(const QProcessEnvironment& environment,
                                                   QString linkFolder);
    static std::unique_ptr<GSettingsBackend> cinnamon(const QProcessEnvironment& environment,
                                                      QString linkFolder);
    static std::unique_ptr<GSettingsBackend> mate(const QProcessEnvironment& environment,
                                                  QString linkFolder);
    static std::unique_ptr<GSettingsBackend> deepin(const QProcessEnvironment& environment,
                                                    QString linkFolder);

    QString name() const override { return name_; }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    // The layout's bitmap with each schema's picture-options 'spanned'.
    ComposedForm composedForm() const override { return ComposedForm::LayoutFile; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

private:
    // What a change does to the picture-options key beside the picture's.
    enum class Options { Leave, Span, Reset };
    void show(const QString& bitmapPath, Options options);
    void tryAlternative(int index, const QString& path, Options options);

    QString name_;
    QList<QList<GSettingsKey>> alternatives_;
    ProcessRunner runner_;
    AlternatingPath links_;
    FailureReporter reporter_;
    bool spanned_ = false; // picture-options were set to 'spanned' in this run
};

// value as a GVariant text string literal, so gsettings never reinterprets quotes or brackets
// in a path.
QString gvariantStringLiteral(const QString& value);

} // namespace vlm
