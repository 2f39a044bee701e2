#include "common/decodewire.h"
#include "decoder/serve.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vlm::decoder {

namespace {

namespace wire = decodewire;

constexpr int kDescriptors = 2; // the picture, the answer

struct Request {
    std::array<char, wire::kMostRequestBytes + 1> text{};
    std::vector<int> descriptors;
};

void closeAll(const std::vector<int>& descriptors) {
    for (const int fd : descriptors)
        ::close(fd);
}

// The next request; false when the program closed the socket or it failed.
bool receive(Request& request) {
    request.text.fill(0); // the text ends with a zero
    request.descriptors.clear();
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 8)];
    iovec part{request.text.data(), wire::kMostRequestBytes};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = -1;
    do
        got = ::recvmsg(STDIN_FILENO, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return false;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const auto count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
            request.descriptors.push_back(fd);
        }
    }
    // a cut message or descriptors (more than the control room) is no request to decode
    if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0)
        request.descriptors.push_back(-1);
    return true;
}

bool reply(wire::ServedExit exit) {
    ssize_t sent = -1;
    do
        sent = ::send(STDIN_FILENO, &exit, sizeof exit, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(sizeof exit);
}

// In the forked process: the picture and the answer become standard input and output (the
// socket goes with that), the system calls narrow to a one-picture helper's, and it decodes.
[[noreturn]] void decodeInChild(Request& request, DecodeCommand decode) {
    prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0); // ends with the server
    if (::dup2(request.descriptors[0], STDIN_FILENO) != STDIN_FILENO ||
        ::dup2(request.descriptors[1], STDOUT_FILENO) != STDOUT_FILENO)
        _exit(wire::kNotConfined);
    closeAll(request.descriptors);
    if (!installSyscallFilter(false)) {
        std::fputs("vlm-decode: the system-call filter could not be installed\n", stderr);
        _exit(wire::kNotConfined);
    }
    std::vector<char*> argv{const_cast<char*>("vlm-decode-common")};
    for (char* word = std::strtok(request.text.data(), " "); word; word = std::strtok(nullptr, " "))
        argv.push_back(word);
    argv.push_back(nullptr);
    _exit(decode(int(argv.size()) - 1, argv.data(), false));
}

wire::ServedExit decodeInFreshProcess(Request& request, DecodeCommand decode) {
    const pid_t child = ::fork();
    if (child == 0)
        decodeInChild(request, decode);
    closeAll(request.descriptors);
    if (child < 0)
        return {0, wire::kNotConfined};
    int status = 0;
    pid_t ended = -1;
    do
        ended = ::waitpid(child, &status, 0);
    while (ended < 0 && errno == EINTR);
    if (ended != child || WIFSIGNALED(status))
        return {1, ended == child ? WTERMSIG(status) : SIGKILL};
    return {0, WEXITSTATUS(status)};
}

} // namespace

int serveDecoding(DecodeCommand decode, const LateLibraries& late) {
    if (confineDecoding({}, late, Serving::ForkPerPicture) == Confinement::Failed) {
        std::fputs("vlm-decode: the system-call filter could not be installed\n", stderr);
        return wire::kNotConfined;
    }
    Request request;
    while (receive(request)) {
        const bool wellFormed = request.descriptors.size() == kDescriptors &&
                                request.descriptors[0] >= 0 && request.descriptors[1] >= 0;
        const wire::ServedExit exit = wellFormed ? decodeInFreshProcess(request, decode)
                                                 : wire::ServedExit{0, wire::kBadArguments};
        if (!wellFormed)
            closeAll(request.descriptors);
        if (!reply(exit))
            return 0;
    }
    return 0;
}

} // namespace vlm::decoder
