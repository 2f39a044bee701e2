// How soon a window answers: every INTERVAL_MS until ended (SIGTERM), presses the mouse button
// at X,Y in the window titled TITLE and releases it (xdotool, which uses XTest), each followed
// by a _NET_WM_PING to the window. The toolkit handles input and the ping on the window's
// thread, in order, so the ping's answer comes once the press (or release) has been dealt with.
// Prints one line a probe: the probe's start in milliseconds of the system clock (as
// `date +%s%3N` gives); the click's answer, the longer of press and release, each timed from
// starting its xdotool (a few milliseconds, measured the same way at rest for comparison; -1
// without an answer in 30 s; with X < 0 only the ping); and the milliseconds of one
// `dbus-send --print-reply` reading DBUS_PROPERTY of the program's session-bus object (0 when
// no property is named).
//   answer_probe TITLE X Y INTERVAL_MS [DBUS_PROPERTY]
#include "xcbreplies.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using benchx::atom;
using benchx::property;

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
constexpr auto kPatience = std::chrono::seconds(30);

using benchx::ReplyPtr;

xcb_window_t findWindow(xcb_connection_t* c, xcb_window_t root, const std::string& title) {
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    ReplyPtr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr),
                                          &std::free);
    if (!tree)
        return XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (property(c, children[i], netWmName) == title ||
            property(c, children[i], XCB_ATOM_WM_NAME) == title)
            return children[i];
    }
    return XCB_WINDOW_NONE;
}

bool run(const std::vector<std::string>& command) {
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

volatile std::sig_atomic_t ended = 0;

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s TITLE X Y INTERVAL_MS [DBUS_PROPERTY]\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { ended = 1; });
    const auto [c, root] = benchx::connectDisplay("answer_probe");
    if (!c)
        return 1;
    const xcb_window_t window = findWindow(c, root, argv[1]);
    if (window == XCB_WINDOW_NONE) {
        std::fprintf(stderr, "answer_probe: no window \"%s\"\n", argv[1]);
        return 1;
    }
    // The toolkit sends the answer to a ping to the root window, to those who watch its
    // structure (or redirect its substructure, as a window manager does).
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(c, "_NET_WM_PING");
    const std::vector<std::string> press = {
        "xdotool", "mousemove", "--window",  std::to_string(window),
        argv[2],   argv[3],     "mousedown", "1"};
    const std::vector<std::string> release = {"xdotool", "mouseup", "1"};
    const std::string dbusProperty = argc > 5 ? argv[5] : "";
    const std::vector<std::string> propertyRead = {"dbus-send",
                                                   "--session",
                                                   "--print-reply",
                                                   "--dest=example.velmora.Velmora",
                                                   "/example/velmora/Velmora",
                                                   "org.freedesktop.DBus.Properties.Get",
                                                   "string:example.velmora.Velmora",
                                                   "string:" + dbusProperty};
    pollfd connection{xcb_get_file_descriptor(c), POLLIN, 0};

    // Runs a command (none when empty), then pings the window: milliseconds from the command's
    // start to the answer, or -1 without an answer.
    uint32_t serial = 0;
    const auto answerAfter = [&](const std::vector<std::string>& command) {
        const Clock::time_point start = Clock::now();
        if (!command.empty() && !run(command)) {
            std::fprintf(stderr, "answer_probe: %s failed\n", command[0].c_str());
            std::exit(1);
        }
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = ping;
        message.data.data32[1] = ++serial; // stands for the timestamp, to know our answer
        message.data.data32[2] = window;
        xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        bool answered = false;
        while (!answered && Clock::now() - start < kPatience && !xcb_connection_has_error(c)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
                const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(event);
                answered =
                    answered || ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                 reply->data.data32[0] == ping && reply->data.data32[1] == serial);
                std::free(event);
            }
            if (!answered)
                poll(&connection, 1, 10);
        }
        return answered ? Milliseconds(Clock::now() - start).count() : -1.0;
    };

    const bool clicking = std::atoi(argv[2]) >= 0;
    while (!ended) {
        const auto wallClock = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        // The press and the release apart: `xdotool click` waits about 100 ms between them.
        const double pressMs = answerAfter(clicking ? press : std::vector<std::string>());
        const double releaseMs = clicking ? answerAfter(release) : 0;
        const double clickMs = pressMs < 0 || releaseMs < 0 ? -1 : std::max(pressMs, releaseMs);
        double dbusMs = 0;
        if (!dbusProperty.empty()) {
            const Clock::time_point asked = Clock::now();
            if (!run(propertyRead))
                std::fprintf(stderr, "answer_probe: the property read failed\n");
            dbusMs = Milliseconds(Clock::now() - asked).count();
        }
        std::printf("%lld %.1f %.1f\n", static_cast<long long>(wallClock.count()), clickMs, dbusMs);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[4])));
    }
    return 0;
}
