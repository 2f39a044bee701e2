#include "common/logging.h"
#include "platform/bubblewrap.h"
#include "platform/decodehelper.h"

#include <QProcess>
#include <QSet>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace vlm {

namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves terabytes of shadow address space, so an address-space limit
// would stop the sanitized helper before main().
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

bool setLimit(int resource, rlim_t value) {
    const rlimit limit{value, value};
    return setrlimit(resource, &limit) == 0;
}

// Read by the forked child; set before each start on the one thread that starts helpers.
const HelperLimits* childLimits = &kDrawingLimits;
int childInput = -1;

// Runs in the forked child before exec: async-signal-safe calls only. A limit that cannot
// be applied ends the child, so a helper never runs without its limits.
void limitChild() {
    setpgid(0, 0); // its own group, so a timeout also kills anything it started
    const bool limited =
        setLimit(RLIMIT_CPU, childLimits->cpuSeconds) && setLimit(RLIMIT_CORE, 0) &&
        setLimit(RLIMIT_FSIZE, 0) &&
        (!kLimitAddressSpace || setLimit(RLIMIT_AS, childLimits->addressSpaceBytes));
    // Writing a file then fails with EFBIG instead of killing the helper with SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!limited || (childInput >= 0 && dup2(childInput, STDIN_FILENO) != STDIN_FILENO) ||
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        _exit(126);
}

} // namespace

void prepareHelper(QProcess& process, const HelperLimits& limits, int inputFd) {
    childLimits = &limits;
    childInput = inputFd;
    if (inputFd >= 0)
        process.setStandardInputFile(QProcess::nullDevice()); // replaced by inputFd in the child
    process.setChildProcessModifier(limitChild);
    startInBubblewrap(process);
}

void killHelper(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

void reportHelperMessages(const QByteArray& text) {
    static QSet<QByteArray> said;
    constexpr qsizetype kMostLines = 64;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty() || said.contains(line) || said.size() >= kMostLines)
            continue;
        said.insert(line);
        qCWarning(pictureLog, "%s", line.constData());
    }
}

} // namespace vlm
