#pragma once

#include "wallpaper/backends/alternatingpath.h"
#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/backends/processrunner.h"
#include "wallpaper/wallpaperbackend.h"

#include <optional>

namespace vlm {

// Sets the wallpaper by running short commands one after another: the user's own command, the
// LXQt and LXDE desktops, sway, hyprpaper.
class CommandBackend final : public WallpaperBackend {
public:
    using StepMaker = std::function<QList<ProcessStep>(const QString& path)>;
    // The steps for a composed wallpaper; paths: the names to give the program, one a monitor
    // (MonitorFiles), else one.
    using ComposedStepMaker =
        std::function<QList<ProcessStep>(const ComposedWallpaper&, const QStringList& paths)>;

    // linkFolder: when set, the commands get a fresh name per change (AlternatingPath) for
    // programs that ignore a path they already show; otherwise the bitmap's own path.
    CommandBackend(QString name, StepMaker makeSteps, const QProcessEnvironment& environment,
                   std::optional<QString> linkFolder,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5),
                   FailureReporter::Sink sink = {});

    // commandLine: the user's VLM_WALLPAPER_COMMAND, split by splitCommandLine; "%f" becomes
    // the path, which is appended when no argument holds "%f". Null when the command line is
    // empty or malformed.
    static std::unique_ptr<CommandBackend>
    userCommand(const QString& commandLine, const QProcessEnvironment& environment,
                std::chrono::milliseconds timeout = std::chrono::seconds(10),
                FailureReporter::Sink sink = {});
    static std::unique_ptr<CommandBackend> lxqt(const QProcessEnvironment& environment,
                                                QString linkFolder);
    static std::unique_ptr<CommandBackend> lxde(const QProcessEnvironment& environment,
                                                QString linkFolder);
    static std::unique_ptr<CommandBackend> sway(const QProcessEnvironment& environment,
                                                QString linkFolder);
    static std::unique_ptr<CommandBackend> hyprpaper(const QProcessEnvironment& environment,
                                                     QString linkFolder);

    QString name() const override { return name_; }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    ComposedForm composedForm() const override { return composedForm_; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

    // How the program shows a composed wallpaper; without it, as apply() the first monitor's.
    void setComposedSteps(ComposedForm form, ComposedStepMaker makeSteps);

private:
    QString linked(const QString& bitmapPath);
    void run(const QList<ProcessStep>& steps);

    QString name_;
    StepMaker makeSteps_;
    ComposedForm composedForm_ = ComposedForm::FirstMonitor;
    ComposedStepMaker makeComposedSteps_;
    ProcessRunner runner_;
    std::optional<AlternatingPath> links_;
    FailureReporter reporter_;
};

// Splits a command line into arguments the way a POSIX shell does for plain words, without
// running one: blanks separate, '...' is literal, "..." keeps blanks and takes \" \\ \$ \`,
// a backslash outside quotes takes the next character. Nothing is expanded. Empty when the
// line is blank or a quote is left open.
QStringList splitCommandLine(const QString& commandLine);

// sway's command language quotes with double quotes; the path is one argument of "output".
QString swayQuoted(const QString& path);

} // namespace vlm
