#include "common/logging.h"
#include "platform/bubblewrap.h"
#include "platform/decodehelper.h"

#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

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

// Every descriptor above standard error closes at exec, also those the program inherited
// without close-on-exec. (Qt's own pipe that reports a failed exec closes there anyway.)
bool closeOthersAtExec() {
    if (close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return true;
    // kernels before 5.11
    rlimit open{};
    if (getrlimit(RLIMIT_NOFILE, &open) != 0)
        return false;
    for (rlim_t fd = STDERR_FILENO + 1; fd < std::min<rlim_t>(open.rlim_cur, 1 << 20); ++fd)
        fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return true;
}

// Under memory pressure the kernel ends a helper rather than the program. Where /proc is
// missing the helper runs with the program's score: no reason to decode nothing.
void preferForOutOfMemoryKill() {
    const int fd = open("/proc/self/oom_score_adj", O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = write(fd, "1000", 4);
        close(fd);
    }
}

// Runs in the forked child before exec: async-signal-safe calls only. A limit that cannot
// be applied ends the child, so a helper never runs without its limits.
void limitChild(const HelperLimits& limits, int inputFd, int outputFd) {
    setpgid(0, 0); // its own group, so a timeout also kills anything it started
    const bool limited = setLimit(RLIMIT_CPU, limits.cpuSeconds) && setLimit(RLIMIT_CORE, 0) &&
                         setLimit(RLIMIT_FSIZE, 0) &&
                         (!kLimitAddressSpace || setLimit(RLIMIT_AS, limits.addressSpaceBytes));
    // Writing a file then fails with EFBIG instead of killing the helper with SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    preferForOutOfMemoryKill();
    if (!limited || (inputFd >= 0 && dup2(inputFd, STDIN_FILENO) != STDIN_FILENO) ||
        (outputFd >= 0 && dup2(outputFd, STDOUT_FILENO) != STDOUT_FILENO) || !closeOthersAtExec() ||
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        _exit(126);
}

QByteArray escaped(const QByteArray& line) {
    constexpr qsizetype kLongest = 240;
    QByteArray text;
    for (const char c : line.left(kLongest)) {
        const auto byte = static_cast<uchar>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text += c;
        else
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return line.size() > kLongest ? text + "..." : text;
}

} // namespace

QProcessEnvironment helperEnvironment() {
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment;
    // decodingReadablePaths() finds the fonts by these in the helper as in the program;
    // XDG_RUNTIME_DIR spares Qt a complaint that it cannot make one
    for (const QString& name : {u"HOME"_s, u"XDG_DATA_HOME"_s, u"XDG_CONFIG_HOME"_s,
                                u"XDG_CACHE_HOME"_s, u"XDG_RUNTIME_DIR"_s}) {
        const QString value = own.value(name);
        if (value.startsWith(u'/'))
            environment.insert(name, value);
    }
    // the locale's name only, never a path to locale files of the user's choosing
    static const QRegularExpression localeName(u"^[A-Za-z0-9_.@-]{1,64}$"_s);
    const QString locale = own.value(u"LANG"_s);
    environment.insert(u"LANG"_s, localeName.match(locale).hasMatch() ? locale : u"C.UTF-8"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return environment;
}

void limitHelper(QProcess& process, const HelperLimits& limits, int inputFd, int outputFd) {
    // replaced by inputFd and outputFd in the child
    if (inputFd >= 0)
        process.setStandardInputFile(QProcess::nullDevice());
    if (outputFd >= 0)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessEnvironment(helperEnvironment());
    process.setChildProcessModifier(
        [limits, inputFd, outputFd] { limitChild(limits, inputFd, outputFd); });
}

void prepareHelper(QProcess& process, const HelperLimits& limits, int inputFd, int outputFd) {
    limitHelper(process, limits, inputFd, outputFd);
    startInBubblewrap(process);
}

void killHelper(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

void discardHelper(QProcess* process) {
    process->disconnect();
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    killHelper(*process);
}

void reportHelperMessages(const QByteArray& text) {
    static QMutex saying;
    const QMutexLocker locked(&saying);
    static QSet<QByteArray> said;
    constexpr qsizetype kMostLines = 64;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray shown = escaped(line);
        if (shown.isEmpty() || said.contains(shown) || said.size() >= kMostLines)
            continue;
        said.insert(shown);
        qCWarning(pictureLog, "%s", shown.constData());
    }
}

} // namespace vlm
