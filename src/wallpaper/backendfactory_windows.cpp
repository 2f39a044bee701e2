#include "wallpaper/backendchoice.h"
#include "wallpaper/backends/commandbackend.h"
#include "wallpaper/backends/windowsbackend.h"

namespace vlm {

std::unique_ptr<WallpaperBackend>
createWallpaperBackendNamed(const QString& name, const QProcessEnvironment& environment) {
    if (name == u"none")
        return std::make_unique<NoWallpaperBackend>();
    if (name == u"command") {
        if (auto backend = CommandBackend::userCommand(
                environment.value(QStringLiteral("VLM_WALLPAPER_COMMAND")), environment))
            return backend;
    }
    return std::make_unique<WindowsBackend>();
}

} // namespace vlm
