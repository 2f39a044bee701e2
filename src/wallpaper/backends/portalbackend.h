#pragma once

#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <chrono>

namespace vlm {

// Receives the portal's Response signal for one request (QtDBus connects signals to slots only).
class PortalResponse : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(uint response)>;
    PortalResponse(Handler handler, QObject* parent)
        : QObject(parent), handler_(std::move(handler)) {}

public Q_SLOTS:
    void Response(uint response, const QVariantMap& results);

private:
    Handler handler_;
};

// The XDG desktop portal's Wallpaper interface (Wayland desktops and sandboxes). The request's
// answer comes later as a Response signal; 0 means the desktop took the picture.
class PortalBackend final : public WallpaperBackend {
public:
    PortalBackend(QDBusConnection bus, QString linkFolder,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5),
                  FailureReporter::Sink sink = {});
    ~PortalBackend() override;

    QString name() const override { return QStringLiteral("portal"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;

private:
    void dropRequest();

    QDBusConnection bus_;
    AlternatingPath links_;
    std::chrono::milliseconds timeout_;
    FailureReporter reporter_;
    QObject context_;
    PortalResponse* response_ = nullptr;
    QString requestPath_;
    quint64 sequence_ = 0;
};

} // namespace vlm
