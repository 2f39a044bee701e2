#pragma once

#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QDBusConnection>
#include <QObject>
#include <chrono>

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

    // The desktop script that shows fileUri on every desktop.
    static QString script(const QString& fileUri);

private:
    QDBusConnection bus_;
    AlternatingPath links_;
    std::chrono::milliseconds timeout_;
    FailureReporter reporter_;
    QObject context_;
    quint64 sequence_ = 0;
};

// text as a JavaScript string literal in double quotes; everything outside printable ASCII is
// escaped, so no path can end the string or the script.
QString javaScriptStringLiteral(const QString& text);

} // namespace vlm
