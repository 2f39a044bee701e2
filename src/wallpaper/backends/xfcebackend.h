#pragma once

#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/backends/processrunner.h"
#include "wallpaper/wallpaperbackend.h"

namespace vlm {

// XFCE: xfdesktop keeps one "last-image" per screen, monitor and workspace in the xfconf
// channel xfce4-desktop. Every one that exists is blanked and then set, so xfdesktop reloads
// the same path; when none exists yet, one is created for workspace 0 of each output.
class XfceBackend final : public WallpaperBackend {
public:
    // outputs: connected output names ("HDMI-1") used when no property exists yet.
    XfceBackend(const QProcessEnvironment& environment, QStringList outputs,
                std::chrono::milliseconds timeout = std::chrono::seconds(5),
                FailureReporter::Sink sink = {});

    QString name() const override { return QStringLiteral("xfce"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;

    // The last-image properties among the lines of `xfconf-query -c xfce4-desktop -l`.
    static QStringList lastImageProperties(const QByteArray& listing);

private:
    void setProperties(const QStringList& properties, const QString& path);
    void finishWith(const ProcessOutcome& outcome, const ProcessStep& step);

    ProcessRunner runner_;
    QStringList outputs_;
    FailureReporter reporter_;
};

} // namespace vlm
