#include "common/decodingpaths.h"
#include "decoder/confine.h"

#include <cstdio>
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

Confinement confineDecoding(const FuzzerRoom& fuzzer) {
    // Both Landlock and an unprivileged seccomp filter need no_new_privs; the program sets it
    // already, the helper makes sure when started by hand.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return Confinement::Failed;
    // The file-system rules come first: the system-call filter does not admit Landlock's calls.
    const bool filesConfined = restrictFiles(readablePaths() + fuzzer.readable, fuzzer.writable);
    // Without Landlock a fuzzer's filter would let it write anywhere.
    const bool forFuzzer = !fuzzer.writable.isEmpty();
    if ((forFuzzer && !filesConfined) || !installSyscallFilter(forFuzzer))
        return Confinement::Failed;
    if (filesConfined)
        return Confinement::Full;
    std::fputs("vlm-decode: the kernel offers no Landlock; this helper's file system is not "
               "confined, only its system calls\n",
               stderr);
    return Confinement::FilesUnconfined;
}

} // namespace vlm::decoder
