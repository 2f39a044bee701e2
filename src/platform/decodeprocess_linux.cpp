#include "common/logging.h"
#include "common/decodewire.h"
#include "platform/bubblewrap.h"
#include "platform/decodedpicturereader.h"
#include "platform/decodeprocess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>
#include <csignal>
#include <string_view>
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

struct HelperLimits {
    rlim_t addressSpaceBytes;
    rlim_t cpuSeconds;
    std::chrono::milliseconds timeout;
};
// Room for the Qt libraries, fonts and a few copies of an 8K drawing, nothing near the
// machine's memory.
constexpr HelperLimits kDrawingLimits{rlim_t{1536} * 1024 * 1024, 5, std::chrono::seconds(3)};
// A photo needs its file, the decoder's pixels and a copy of those to turn or scale it: up to
// 0.8 + 0.8 + 0.8 GB at 200 megapixels, besides the libraries. A 48-megapixel HEIC takes 5 to
// 7 s of CPU on a slow, busy machine, one of 200 megapixels four times that.
constexpr HelperLimits kPhotoLimits{rlim_t{4096} * 1024 * 1024, 40, std::chrono::seconds(40)};

bool setLimit(int resource, rlim_t value) {
    const rlimit limit{value, value};
    return setrlimit(resource, &limit) == 0;
}

// Read by the forked child; set before each start on the one thread that starts helpers.
const HelperLimits* childLimits = &kDrawingLimits;

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

// What helpers say on standard error (that the kernel cannot confine their file system, why a
// file failed) goes to the program's own, each line once: every picture starts a new helper.
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

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
}

} // namespace

QImage decodeInHelper(const DecodeJob& job) {
    const decodewire::Format* format = decodewire::formatFor(
        std::string_view(job.kind.constData(), std::size_t(job.kind.size())));
    if (!format || job.helper.isEmpty() || job.box.isEmpty() || job.data.isEmpty() ||
        job.data.size() > format->maxInputBytes)
        return {};
    childLimits = format == &decodewire::kRaster ? &kPhotoLimits : &kDrawingLimits;

    const QDeadlineTimer deadline(job.timeout.value_or(childLimits->timeout));
    QProcess process;
    process.setProgram(job.helper);
    process.setArguments({QString::fromLatin1(job.kind), QString::number(job.box.width()),
                          QString::number(job.box.height())});
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
    // taken as it comes, so a helper that floods the pipe or answers nonsense is stopped.
    QEventLoop loop;
    DecodedPictureReader output(*format);
    bool invalid = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        if (!output.append(process.readAllStandardOutput())) {
            invalid = true;
            loop.quit();
        }
    });
    // A few lines are kept; the rest is read and dropped, so a chatty helper never blocks.
    constexpr qsizetype kMostMessageBytes = 4096;
    QByteArray messages;
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
        messages += process.readAllStandardError();
        messages.truncate(kMostMessageBytes);
    });
    const auto reportMessages = qScopeGuard([&] {
        messages += process.readAllStandardError();
        messages.truncate(kMostMessageBytes);
        reportHelperMessages(messages);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(remainingMs(deadline), &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (invalid || process.state() != QProcess::NotRunning) {
        killHelper(process);
        return {};
    }
    if (!output.append(process.readAllStandardOutput()) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return output.finish();
}

} // namespace vlm
