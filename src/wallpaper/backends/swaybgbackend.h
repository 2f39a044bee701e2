#pragma once

#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QObject>
#include <chrono>

namespace vlm {

// wlroots compositors without a wallpaper setting of their own: a swaybg process draws the
// picture. The new one is started first and the old ones end once it had time to draw, so the
// desktop is never bare; swaybg stays after we exit, keeping the wallpaper.
class SwaybgBackend final : public WallpaperBackend {
public:
    explicit SwaybgBackend(const QProcessEnvironment& environment,
                           std::chrono::milliseconds settleTime = std::chrono::milliseconds(800),
                           FailureReporter::Sink sink = {});

    QString name() const override { return QStringLiteral("swaybg"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    // One swaybg with each output's picture, stretched over exactly its size.
    ComposedForm composedForm() const override { return ComposedForm::MonitorFiles; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

    // swaybg's arguments for a composed wallpaper.
    static QStringList composedArguments(const ComposedWallpaper& wallpaper);

private:
    // Starts swaybg; the earlier ones showing `shown` end once it had time to draw.
    void start(const QStringList& arguments, const QString& shown);
    void settle(qint64 pid, const QString& path, quint64 sequence);

    QProcessEnvironment environment_;
    std::chrono::milliseconds settleTime_;
    FailureReporter reporter_;
    QObject context_;
    quint64 sequence_ = 0;
};

// Live (not zombie) processes of this user named swaybg whose arguments include path: the ones
// this program started for that bitmap, in this run or an earlier one.
QList<qint64> swaybgProcessesShowing(const QString& path);

} // namespace vlm
