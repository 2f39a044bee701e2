#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <chrono>
#include <sys/resource.h>

class QProcess;

namespace vlm {

// What one decoding helper may use: its address space, its CPU time and the wall-clock time the
// program waits for it.
struct HelperLimits {
    rlim_t addressSpaceBytes;
    rlim_t cpuSeconds;
    std::chrono::milliseconds timeout;
};
// Room for the Qt libraries, fonts and a few copies of an 8K drawing, nothing near the
// machine's memory. Nothing waits on the helper, so the wall-clock limit only ends one that
// hangs.
inline constexpr HelperLimits kDrawingLimits{rlim_t{1536} * 1024 * 1024, 5,
                                             std::chrono::seconds(10)};
// A photo needs its file, the decoder's pixels and a copy of those to turn or scale it: up to
// 0.8 + 0.8 + 0.8 GB at 200 megapixels, besides the libraries. A 48-megapixel HEIC takes 5 to
// 7 s of CPU on a slow, busy machine, one of 200 megapixels four times that.
inline constexpr HelperLimits kPhotoLimits{rlim_t{4096} * 1024 * 1024, 40,
                                           std::chrono::seconds(40)};

// Sets up process (its program and arguments already set) to start the helper under limits,
// in its own process group, ended with the program, reading its standard input from inputFd
// and writing its standard output to outputFd (descriptors of the program's, which stay open
// until the start; -1: pipes of QProcess's own), with no other descriptor of the program's, an
// environment of its own, first in line for the kernel's out-of-memory killer, and inside
// bubblewrap where probeHelperSandbox() found that it works.
void prepareHelper(QProcess& process, const HelperLimits& limits, int inputFd, int outputFd = -1);

// prepareHelper() without bubblewrap.
void limitHelper(QProcess& process, const HelperLimits& limits, int inputFd, int outputFd = -1);

// What a helper's environment holds: a locale, the folders fontconfig finds its files by, and
// Qt's offscreen platform; nothing else of the program's (no preloaded library, no token).
QProcessEnvironment helperEnvironment();

// Ends the helper and anything it started at once.
void killHelper(QProcess& process);

// Lets go of a helper's process, whose signals nobody receives any more: one still running is
// killed, and the object lives on until the system has reaped it, so that nothing waits.
void discardHelper(QProcess* process);

// What helpers say on standard error (that the kernel cannot confine their file system, why a
// file failed) goes to the program's own, each line once: every picture starts a new helper.
// A taken-over helper may say anything, so every byte but printable ASCII is shown as \xNN
// and a long line is cut.
void reportHelperMessages(const QByteArray& text);

} // namespace vlm
