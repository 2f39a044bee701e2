#include "common/metafilewire.h"
#include "platform/bubblewrap.h"
#include "platform/metafileoutput.h"
#include "platform/metafileprocess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
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

// Room for the Qt libraries, fonts and a few copies of an 8K drawing, nothing near the
// machine's memory.
constexpr rlim_t kAddressSpaceBytes = rlim_t{1536} * 1024 * 1024;
constexpr rlim_t kCpuSeconds = 5;

bool setLimit(int resource, rlim_t value) {
    const rlimit limit{value, value};
    return setrlimit(resource, &limit) == 0;
}

// Runs in the forked child before exec: async-signal-safe calls only. A limit that cannot
// be applied ends the child, so a helper never runs without its limits.
void limitChild() {
    setpgid(0, 0); // its own group, so a timeout also kills anything it started
    const bool limited = setLimit(RLIMIT_CPU, kCpuSeconds) && setLimit(RLIMIT_CORE, 0) &&
                         setLimit(RLIMIT_FSIZE, 0) &&
                         (!kLimitAddressSpace || setLimit(RLIMIT_AS, kAddressSpaceBytes));
    // Writing a file then fails with EFBIG instead of killing the helper with SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!limited || prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        _exit(126);
}

void killHelper(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
    process.waitForFinished(1000);
}

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
}

} // namespace

QImage renderMetafileInHelper(const MetafileJob& job) {
    namespace wire = metafilewire;
    if (job.helper.isEmpty() || job.box.isEmpty() || job.data.isEmpty() ||
        job.data.size() > wire::kMaxInputBytes)
        return {};

    const QDeadlineTimer deadline(job.timeout);
    QProcess process;
    process.setProgram(job.helper);
    process.setArguments({QString::fromLatin1(job.kind), QString::number(job.box.width()),
                          QString::number(job.box.height())});
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier(limitChild);
    startInBubblewrap(process);
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(remainingMs(deadline))) {
        killHelper(process);
        return {};
    }
    process.write(job.data);
    process.closeWriteChannel();

    // The helper is awaited in an event loop so that timers (the clock) keep running and the
    // window keeps painting; the user's input waits until the picture is there. The output is
    // collected as it comes so a helper that floods the pipe is stopped at the cap.
    QEventLoop loop;
    QByteArray output;
    bool overflow = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        output += process.readAllStandardOutput();
        if (static_cast<quint64>(output.size()) > wire::kMaxOutputBytes) {
            overflow = true;
            loop.quit();
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(remainingMs(deadline), &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (overflow || process.state() != QProcess::NotRunning) {
        killHelper(process);
        return {};
    }
    output += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return parseMetafileOutput(output);
}

} // namespace vlm
