// Runs a command and prints the milliseconds from its start until the root window's picture is
// replaced (the next PropertyNotify of _XROOTPMAP_ID on the root window), learnt from the X
// server's own event rather than by polling. The command's output goes to standard error. With
// --pixel, prints the colour of one root window pixel as "R,G,B" (0 to 255; a 24-bit TrueColor
// screen such as Xvfb's), cheaper for the X server and the processor than a whole screenshot.
//   root_timer [TIMEOUT_SECONDS] -- COMMAND [ARGUMENTS...]
//   root_timer --pixel X Y
#include "xcbreplies.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using benchx::atom;

using Clock = std::chrono::steady_clock;

int printPixel(xcb_connection_t* c, xcb_window_t root, int16_t x, int16_t y) {
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u),
                            nullptr),
        &std::free);
    if (!image || xcb_get_image_data_length(image.get()) < 4) {
        std::fprintf(stderr, "root_timer: cannot read the root window\n");
        return 1;
    }
    const uint8_t* pixel = xcb_get_image_data(image.get()); // B, G, R, X
    std::printf("%d,%d,%d\n", pixel[2], pixel[1], pixel[0]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--pixel") == 0) {
        const auto [c, root] = benchx::connectDisplay("root_timer");
        return c ? printPixel(c, root, int16_t(std::atoi(argv[2])), int16_t(std::atoi(argv[3])))
                 : 1;
    }
    int first = 1;
    int timeout = 120;
    if (argc > 2 && std::strcmp(argv[1], "--") != 0)
        timeout = std::atoi(argv[first++]);
    if (first >= argc || std::strcmp(argv[first], "--") != 0 || first + 1 >= argc) {
        std::fprintf(stderr, "usage: %s [TIMEOUT_SECONDS] -- COMMAND [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const auto [c, root] = benchx::connectDisplay("root_timer");
    if (!c)
        return 1;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t rootPicture = atom(c, "_XROOTPMAP_ID"); // also a round trip: mask applied

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[first + 1], argv + first + 1);
        std::perror("root_timer: exec");
        _exit(127);
    }
    pollfd connection{xcb_get_file_descriptor(c), POLLIN, 0};
    while (Clock::now() - start < std::chrono::seconds(timeout)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool replaced =
                (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == rootPicture;
            std::free(event);
            if (replaced) {
                const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
                std::printf("%.1f\n", elapsed.count());
                waitpid(child, nullptr, 0);
                return 0;
            }
        }
        if (xcb_connection_has_error(c))
            break;
        poll(&connection, 1, 100);
    }
    std::fprintf(stderr, "root_timer: the root picture was not replaced\n");
    waitpid(child, nullptr, 0);
    return 1;
}
