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
    // Each monitor's last-image gets its bitmap, with image-style stretched.
    ComposedForm composedForm() const override { return ComposedForm::MonitorFiles; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

    // The last-image properties among the lines of `xfconf-query -c xfce4-desktop -l`.
    static QStringList lastImageProperties(const QByteArray& listing);
    // Which of the outputs a last-image property belongs to: by the output's name, else by the
    // number older xfdesktops use (monitor0), else the first.
    static qsizetype outputOf(const QString& property, const QStringList& outputs);

private:
    // What a change does to the image-style beside each last-image.
    enum class Style { Leave, Stretch, Reset };
    void show(const QStringList& bitmaps, const QStringList& outputs, Style style);
    void setProperties(const QByteArray& listing, const QStringList& bitmaps,
                       const QStringList& outputs, Style style);
    void finishWith(const ProcessOutcome& outcome, const ProcessStep& step);

    ProcessRunner runner_;
    QStringList outputs_;
    FailureReporter reporter_;
    bool stretched_ = false; // image-style was set to stretched in this run
};

} // namespace vlm
