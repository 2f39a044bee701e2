#include "wallpaper/wallpaperbackend.h"

namespace vlm {
namespace {

// Placeholder until the desktop backends exist: reports that nothing was set.
class NoBackend final : public WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("none"); }
    void apply(const QString&, const QImage&) override {}
};

} // namespace

std::unique_ptr<WallpaperBackend> createWallpaperBackend(const QProcessEnvironment&) {
    return std::make_unique<NoBackend>();
}

} // namespace vlm
