#pragma once

#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <chrono>
#include <optional>

namespace vlm {

// KDE Plasma 5 and 6: a desktop script run by plasmashell over D-Bus puts the picture into the
// image wallpaper plugin of every desktop. Plasma ignores an Image it already shows, so each
// change names a fresh path (AlternatingPath).
class PlasmaBackend final : public WallpaperBackend {
public:
    PlasmaBackend(QDBusConnection bus, QString linkFolder,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5),
                  FailureReporter::Sink sink = {});

    QString name() const override { return QStringLiteral("plasma"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    // Each screen's desktop gets the bitmap of the monitor at its place, stretched.
    ComposedForm composedForm() const override { return ComposedForm::MonitorFiles; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

    // The desktop script that shows fileUri on every desktop; with fillMode, that mode too.
    static QString script(const QString& fileUri, std::optional<int> fillMode = std::nullopt);
    // The desktop script that shows on each screen the picture whose monitor's logical top
    // left corner lies nearest its own, stretched.
    static QString composedScript(const QList<std::pair<QPoint, QString>>& shown);

private:
    QString linked(const QString& bitmapPath);
    void run(const QString& script);

    QDBusConnection bus_;
    AlternatingPath links_;
    std::chrono::milliseconds timeout_;
    FailureReporter reporter_;
    QObject context_;
    quint64 sequence_ = 0;
    bool stretched_ = false; // FillMode was set to stretch in this run
};

// text as a JavaScript string literal in double quotes; everything outside printable ASCII is
// escaped, so no path can end the string or the script.
QString javaScriptStringLiteral(const QString& text);

} // namespace vlm
