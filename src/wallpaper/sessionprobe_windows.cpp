#include "wallpaper/backendchoice.h"

namespace vlm {
namespace {

class WindowsSessionProbe final : public SessionProbe {
public:
    bool isRunning(const QString&) const override { return false; }
    bool isInstalled(const QString&) const override { return false; }
    QString nativeBackend() const override { return QStringLiteral("windows"); }
};

} // namespace

std::unique_ptr<SessionProbe> createSessionProbe(const QProcessEnvironment&) {
    return std::make_unique<WindowsSessionProbe>();
}

} // namespace vlm
