#include "common/decodingpaths.h"
#include "decoder/confine.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/prctl.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VLM_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VLM_ADDRESS_SANITIZER 1
#endif
#endif

namespace vlm::decoder {

QStringList readablePaths() {
    QStringList paths = decodingReadablePaths();
#if defined(VLM_ADDRESS_SANITIZER)
    // AddressSanitizer reads its own mappings to report a fault.
    paths << QStringLiteral("/proc/self");
#endif
    return paths;
}

#if defined(VLM_ADDRESS_SANITIZER)
// The leak check at exit stops the process's threads with ptrace from a new process, which the
// filter forbids; confined, it would turn every decoded picture into a failed exit.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

namespace {

Confinement refuse(const char* why) {
    std::fprintf(stderr, "vlm-decode: %s; nothing is decoded\n", why);
    return Confinement::Failed;
}

// The program starts the helper with its input, output and error only. Anything more was
// leaked to it (a socket, a file opened for writing), and the filter lets it write to any
// descriptor it holds.
bool onlyStandardDescriptorsOpen() {
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return false;
    bool others = false;
    while (const dirent* entry = readdir(folder)) {
        const int fd = std::atoi(entry->d_name);
        others = others || (entry->d_name[0] != '.' && fd > STDERR_FILENO && fd != dirfd(folder));
    }
    closedir(folder);
    return !others;
}

// Landlock binds the calling thread only, so another thread would read files unconfined.
bool singleThreaded() {
    QFile status(QStringLiteral("/proc/self/status"));
    return status.open(QIODevice::ReadOnly) && status.readAll().contains("\nThreads:\t1\n");
}

} // namespace

Confinement confineDecoding(const FuzzerRoom& fuzzer, const LateLibraries& late, Serving serving) {
    // Without Landlock a fuzzer's filter would let it write anywhere.
    const bool forFuzzer = !fuzzer.writable.isEmpty();
    if (!forFuzzer && !onlyStandardDescriptorsOpen())
        return refuse("a descriptor besides standard input, output and error is open");
    // Both Landlock and an unprivileged seccomp filter need no_new_privs; the program sets it
    // already, the helper makes sure when started by hand.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return refuse("no_new_privs could not be set");
    loadLateLibraries(late);
    if (landlockVersion() > 0 && !singleThreaded())
        return refuse("more than one thread runs, and Landlock would confine only one");
    // The file-system rules come first: the system-call filter does not admit Landlock's calls.
    const FileRules files = restrictFiles(readablePaths() + fuzzer.readable, fuzzer.writable);
    if (files == FileRules::Failed)
        return refuse("the kernel offers Landlock, yet its rules could not be applied");
    if (forFuzzer && files != FileRules::Applied)
        return refuse("the kernel offers no Landlock, which a fuzzer's writes need");
    if (!installSyscallFilter(forFuzzer, serving))
        return refuse("the system-call filter could not be installed");
    if (files == FileRules::Applied)
        return Confinement::Full;
    if (qgetenv(kHelperSandboxVariable) == kHelperSandboxBubblewrap)
        return Confinement::FilesInSandbox;
    std::fputs("vlm-decode: the kernel offers no Landlock; this helper's file system is not "
               "confined, only its system calls\n",
               stderr);
    return Confinement::FilesUnconfined;
}

} // namespace vlm::decoder
