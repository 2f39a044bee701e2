#include "platform/outputpipe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vlm {

OutputPipe::OutputPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    ::fcntl(readEnd_, F_SETFL, O_NONBLOCK);   // the helper's end blocks
    ::fcntl(readEnd_, F_SETPIPE_SZ, 1 << 20); // the most an unprivileged process gets; a hint
}

OutputPipe::~OutputPipe() {
    closeWriteEnd();
    if (readEnd_ >= 0)
        ::close(readEnd_);
}

void OutputPipe::closeWriteEnd() {
    if (writeEnd_ >= 0)
        ::close(std::exchange(writeEnd_, -1));
}

bool OutputPipe::readInto(DecodedPictureReader& reader) {
    for (;;) {
        const std::span<char> room = reader.space();
        char extra = 0;
        const ssize_t got =
            room.empty() ? ::read(readEnd_, &extra, 1) : ::read(readEnd_, room.data(), room.size());
        if (got == 0 || (got < 0 && errno == EAGAIN))
            return true;
        if (got < 0 && errno != EINTR)
            return false;
        if (got > 0 && room.empty()) {
            reader.receivedTooMuch();
            return false;
        }
        if (got > 0 && !reader.received(got))
            return false;
    }
}

} // namespace vlm
