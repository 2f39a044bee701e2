// Starts a program and prints "PID MILLISECONDS" once a top-level window of the given title is
// mapped on the X display: the time from the start to a viewable window, learnt from the X
// server's own MapNotify rather than by polling. The program is left running, its standard
// output joined to standard error.
//   window_timer TITLE COMMAND [ARGUMENTS...]
#include "xcbreplies.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using benchx::atom;
using benchx::property;

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(60);

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE COMMAND [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const auto [c, root] = benchx::connectDisplay("window_timer");
    if (!c)
        return 1;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO); // our standard output carries the result alone
        execvp(argv[2], argv + 2);
        std::perror("window_timer: exec");
        _exit(127);
    }
    pollfd connection{xcb_get_file_descriptor(c), POLLIN, 0};
    while (Clock::now() - start < kTimeout) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped && (property(c, window, netWmName) == title ||
                           property(c, window, XCB_ATOM_WM_NAME) == title)) {
                const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
                std::printf("%d %.1f\n", int(child), elapsed.count());
                return 0;
            }
        }
        if (xcb_connection_has_error(c) || waitpid(child, nullptr, WNOHANG) == child)
            break;
        poll(&connection, 1, 100);
    }
    std::fprintf(stderr, "window_timer: no window \"%s\" appeared\n", title.c_str());
    kill(child, SIGTERM);
    return 1;
}
