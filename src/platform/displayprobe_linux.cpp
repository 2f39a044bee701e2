#include "platform/displayprobe.h"

#include <QByteArray>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace vlm {

namespace {

// Whether an X server listens on the local socket of display number: the abstract one Xorg and
// Xvfb offer, else the file in /tmp/.X11-unix.
bool localServerListens(int number) {
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
    for (const bool abstract : {true, false}) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        // an abstract name starts with a zero byte
        std::memcpy(address.sun_path + (abstract ? 1 : 0), path.constData(),
                    std::size_t(path.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) +
                                      std::size_t(path.size()));
        const bool listening =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
        close(fd);
        if (listening)
            return true;
    }
    return false;
}

} // namespace

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
    // A DISPLAY left over from a closed session names a server that is gone: ask it. A local
    // server is asked by its socket alone: a whole X connection would cost as much again as the
    // one Qt makes next (some servers take 30 ms to set one up).
    char* host = nullptr;
    int number = 0;
    if (xcb_parse_display(display.constData(), &host, &number, nullptr) == 0)
        return false;
    const bool local = host[0] == '\0' || qstrcmp(host, "unix") == 0;
    std::free(host);
    if (local)
        return localServerListens(number);
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

} // namespace vlm
