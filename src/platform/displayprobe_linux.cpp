#include "platform/displayprobe.h"

#include <xcb/xcb.h>

namespace vlm {

bool displayAvailable(const QProcessEnvironment& environment) {
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool wantsX = platform.startsWith(QLatin1String("xcb"));
    // offscreen, minimal, vnc, eglfs...: Qt needs no desktop for those.
    if (!platform.isEmpty() && !wantsX && !platform.startsWith(QLatin1String("wayland")))
        return true;
    if (!wantsX && !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return true;
    const QByteArray display = environment.value(QStringLiteral("DISPLAY")).toLocal8Bit();
    if (display.isEmpty())
        return false;
    // A DISPLAY left over from a closed session names a server that is gone: ask it.
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

} // namespace vlm
