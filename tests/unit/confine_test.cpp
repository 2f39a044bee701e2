#include "decoder/confine.h"
#include "platform/bubblewrap.h"
#include "platform/decodehelper.h"
#include "unit/picturebytes.h"
#include "unit/scratch.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using vlm::decoder::Confinement;

namespace {

constexpr int kKilled = -SIGSYS, kNotConfined = 100, kFilesNotConfined = 101;

struct Probe {
    const char* what;
    std::function<long(int socket)> attempt; // a system call's return value, -1 with errno
    int expected;                            // 0, the errno, or kKilled
    bool needsLandlock = false;
};

// Leaves standard input, output and error open, as the program starts the helper.
void closeOtherDescriptors() {
    close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
}

// Where a probe runs: a one-picture helper, the server that forks a decoder per picture, or
// such a decoder (the server's filter with the one-picture filter on top).
enum class Stage { Helper, Server, ServedDecoder };

// Runs the probe in a decoder forked by a confined server; its result as inConfinedChild's.
[[noreturn]] void probeInServedDecoder(const Probe& probe) {
    const pid_t decoder = fork();
    if (decoder == 0) {
        if (!vlm::decoder::installSyscallFilter(false))
            _exit(kNotConfined);
        _exit(probe.attempt(STDIN_FILENO) < 0 ? errno : 0);
    }
    int status = 0;
    if (decoder < 0 || waitpid(decoder, &status, 0) != decoder)
        _exit(kNotConfined);
    _exit(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status));
}

// The errno the probe failed with in a confined child (0: none), or minus the signal that ended
// it. The child holds a socket made before the confinement as its input, as a taken-over helper
// would.
int inConfinedChild(const Probe& probe, Stage stage = Stage::Helper) {
    const pid_t child = fork();
    if (child == 0) {
        dup2(socket(AF_UNIX, SOCK_STREAM, 0), STDIN_FILENO);
        close_range(STDERR_FILENO + 1, ~0U, 0);
        const Confinement confinement = vlm::decoder::confineDecoding(
            {}, {},
            stage == Stage::Helper ? vlm::decoder::Serving::OnePicture
                                   : vlm::decoder::Serving::ForkPerPicture);
        if (confinement == Confinement::Failed)
            _exit(kNotConfined);
        if (probe.needsLandlock && confinement != Confinement::Full)
            _exit(kFilesNotConfined);
        if (stage == Stage::ServedDecoder)
            probeInServedDecoder(probe);
        _exit(probe.attempt(STDIN_FILENO) < 0 ? errno : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return -WTERMSIG(status);
    return WEXITSTATUS(status) > 128 ? 128 - WEXITSTATUS(status) : WEXITSTATUS(status);
}

// Maps a page (of a file, or anonymous) with the protection, or (later) a readable one that
// then gets it.
long mapped(int protection, bool later = false, const char* file = nullptr) {
    const int fd = file ? open(file, O_RDONLY) : -1;
    void* at = mmap(nullptr, 4096, later ? PROT_READ : protection,
                    file ? MAP_PRIVATE : MAP_PRIVATE | MAP_ANONYMOUS, fd, 0);
    return at == MAP_FAILED ? -1 : later ? mprotect(at, 4096, protection) : 0;
}

// Every denied probe would succeed in a process left as it is.
TEST(Confinement, DeniesWhatATakenOverDecoderWouldTryAndAllowsDecoding) {
    const QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray secret = folder + "/id_ed25519";
    vlmtest::writeBytes(QFile::decodeName(secret), "key");
    sockaddr_un address{AF_UNIX, {}};
    qstrncpy(address.sun_path, folder + "/socket", sizeof address.sun_path);
    const auto* listening = reinterpret_cast<const sockaddr*>(&address);
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(server, listening, sizeof address), 0);
    ASSERT_EQ(listen(server, 1), 0);

    const Probe probes[] = {
        {"read a file outside the allowed folders", [&](int) { return open(secret, O_RDONLY); },
         EACCES, true},
        {"list a folder outside the allowed ones",
         [&](int) { return open(folder, O_RDONLY | O_DIRECTORY); }, EACCES, true},
        {"create a file", [&](int) { return open(folder + "/new", O_WRONLY | O_CREAT, 0600); },
         EPERM},
        {"truncate a file", [&](int) { return open(secret, O_WRONLY | O_TRUNC); }, EPERM},
        {"open a network socket", [](int) { return socket(AF_INET, SOCK_STREAM, 0); }, EPERM},
        {"connect a socket it holds",
         [&](int fd) { return connect(fd, listening, sizeof address); }, EPERM},
        {"start a program", [](int) { return execl("/bin/true", "true", nullptr); }, kKilled},
        // the started process, if any, ends at once like the probe
        {"start a process", [](int) { return long(fork()); }, EPERM},
        {"trace itself", [](int) { return ptrace(PTRACE_TRACEME, 0, nullptr, nullptr); }, kKilled},
        {"enter a new namespace", [](int) { return unshare(CLONE_NEWUSER); }, kKilled},
        {"signal its parent", [](int) { return kill(getppid(), 0); }, EPERM},
        {"signal its process group", [](int) { return kill(0, 0); }, EPERM},
        {"map new executable memory",
         [](int) { return mapped(PROT_READ | PROT_WRITE | PROT_EXEC); }, EPERM},
        {"make memory executable", [](int) { return mapped(PROT_READ | PROT_EXEC, true); }, EPERM},
        {"map a file writable and executable",
         [](int) { return mapped(PROT_READ | PROT_WRITE | PROT_EXEC, false, "/etc/ld.so.cache"); },
         EPERM},
        // what decoding needs
        {"read the libraries' folder", [](int) { return open("/usr/lib", O_RDONLY); }, 0},
        {"read the linker's cache", [](int) { return open("/etc/ld.so.cache", O_RDONLY); }, 0},
        {"read a GIF through Qt's plugin, which loads late",
         [](int) {
             const QImage red = QImage::fromData(
                 QByteArray::fromBase64("R0lGODlhAQABAIAAAP8AAAAAACwAAAAAAQABAAACAkQBADs="), "GIF");
             return red.pixel(0, 0) == qRgb(255, 0, 0) ? 0 : -1;
         },
         0},
        {"start a thread",
         [](int) {
             std::thread([] {}).join();
             return 0;
         },
         0},
        {"write to standard error", [](int) { return write(STDERR_FILENO, "", 0); }, 0},
    };
    // A decoder forked by the server is held exactly as a helper of its own.
    for (const Stage stage : {Stage::Helper, Stage::ServedDecoder}) {
        for (const Probe& probe : probes) {
            const int got = inConfinedChild(probe, stage);
            ASSERT_NE(got, kNotConfined) << "the system-call filter could not be installed";
            if (got == kFilesNotConfined)
                EXPECT_LT(syscall(SYS_landlock_create_ruleset, nullptr, 0, 1), 1)
                    << "the kernel offers Landlock, yet it was not applied: " << probe.what;
            else
                EXPECT_EQ(got, probe.expected)
                    << probe.what << (stage == Stage::Helper ? "" : " (served)");
        }
    }
    // The server itself starts a process per picture, and nothing more than a helper may.
    const Probe serverProbes[] = {
        {"start a process", [](int) { return fork() == 0 ? (_exit(0), 0L) : 0L; }, 0},
        {"start a program", [](int) { return execl("/bin/true", "true", nullptr); }, kKilled},
        {"open a network socket", [](int) { return socket(AF_INET, SOCK_STREAM, 0); }, EPERM},
        {"signal its parent", [](int) { return kill(getppid(), 0); }, EPERM},
        {"put a descriptor anywhere but standard input and output",
         [](int fd) { return dup2(fd, 7); }, EPERM},
    };
    for (const Probe& probe : serverProbes)
        EXPECT_EQ(inConfinedChild(probe, Stage::Server), probe.expected) << probe.what;
    close(server);
}

// What it cannot vouch for makes the helper decode nothing: a descriptor it was not given (it
// may write to any it holds) and a second thread, which Landlock would leave unconfined.
TEST(Confinement, RefusesALeakedDescriptorOrASecondThread) {
    for (const bool thread : {false, true}) {
        const pid_t child = fork();
        if (child == 0) {
            close_range(STDERR_FILENO + 1, ~0U, 0);
            if (thread) {
                std::thread([] { pause(); }).detach();
            } else {
                open("/dev/null", O_RDONLY);
            }
            _exit(vlm::decoder::confineDecoding() == Confinement::Failed ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!thread || vlm::decoder::landlockVersion() > 0) {
            EXPECT_EQ(status, 0) << (thread ? "a second thread" : "a leaked descriptor");
        }
    }
}

// Helpers say what they like: a taken-over one must not move the terminal or fake a line.
TEST(Confinement, HelperMessagesAreLoggedEscapedAndCut) {
    const vlmtest::LoggedMessages logged("vlm.picture");
    const QByteArray head = "\x1b]0;owned\x07\rfake \\x41 \xc2\x9b";
    vlm::reportHelperMessages(head + QByteArray(1000, 'y') + "\nnext\n");
    EXPECT_EQ(logged.messages, QStringList({u"\\x1b]0;owned\\x07\\x0dfake \\x5cx41 \\xc2\\x9b"_s +
                                                QString(240 - head.size(), u'y') + u"..."_s,
                                            u"next"_s}));
}

// The real picture helper, which ctest names.
class ConfinedHelper : public ::testing::Test {
protected:
    void SetUp() override {
        if (path.isEmpty())
            GTEST_SKIP() << "VLM_DECODE_HELPER is not set (ctest sets it)";
    }
    const QString path = qEnvironmentVariable("VLM_DECODE_HELPER");
};

// Waiting for its input, the helper already runs under the filter.
TEST_F(ConfinedHelper, IsFilteredBeforeItReadsItsInput) {
    QProcess process;
    process.setChildProcessModifier(closeOtherDescriptors);
    process.start(path, {u"wmf"_s, u"within"_s, u"8"_s, u"8"_s});
    ASSERT_TRUE(process.waitForStarted());
    const QString status = u"/proc/%1/status"_s.arg(process.processId());
    const auto filtered = [&] { return vlmtest::readBytes(status).contains("\nSeccomp:\t2\n"); };
    // the deadline only ends the wait for a helper that waits unfiltered
    for (QDeadlineTimer hang(10000); !filtered() && !hang.hasExpired();)
        QThread::msleep(5);
    EXPECT_TRUE(filtered()) << "no system-call filter while waiting for input";
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 1) << "an empty input is refused after confinement";
}

enum class Landlock { Offered, Missing, Refused };

// A filter that makes system calls fail as on a kernel that lacks Landlock or seccomp, or
// refuses to apply Landlock's rules.
std::vector<sock_filter> lackingKernel(Landlock landlock, bool seccomp) {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (landlock == Landlock::Missing)
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(landlock_create_ruleset), 0);
    if (landlock == Landlock::Refused)
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(landlock_restrict_self), 0);
    if (!seccomp) {
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(seccomp), 0);
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(EINVAL), SCMP_SYS(prctl), 1,
                         SCMP_A0(SCMP_CMP_EQ, PR_SET_SECCOMP));
    }
    std::vector<sock_filter> code(4096);
    FILE* bpf = std::tmpfile();
    const bool exported =
        bpf && seccomp_export_bpf(filter, fileno(bpf)) == 0 && std::fseek(bpf, 0, SEEK_SET) == 0;
    code.resize(exported ? std::fread(code.data(), sizeof(sock_filter), code.size(), bpf) : 0);
    if (bpf)
        std::fclose(bpf);
    seccomp_release(filter);
    return code;
}

// On kernels that lack what it uses, made so by a filter its parent installs, the helper
// renders without Landlock (and says so once), and renders nothing without seccomp or where
// the kernel offers Landlock but refuses its rules.
TEST_F(ConfinedHelper, OnAnOlderKernelRendersOnlyUnderItsFilter) {
    const QTemporaryDir dir;
    const QByteArray drawing = vlmtest::wmfBytes(dir.filePath(u"d.wmf"_s), 40, 10);
    // What the kernel offers (Landlock, seccomp), the exit code, the warnings.
    const std::tuple<const char*, Landlock, bool, int, int> kernels[] = {
        {"a current kernel", Landlock::Offered, true, 0, 0},
        {"no Landlock", Landlock::Missing, true, 0, 1},
        {"Landlock refusing its rules", Landlock::Refused, true, 5, 0},
        {"no seccomp", Landlock::Offered, false, 5, 0},
    };
    for (const auto& [what, landlock, seccomp, exitCode, warnings] : kernels) {
        // Qt starts the child vfork-style, so the filter is made here and only loaded there.
        static sock_fprog program;
        const std::vector<sock_filter> code = lackingKernel(landlock, seccomp);
        program = {static_cast<unsigned short>(code.size()), const_cast<sock_filter*>(code.data())};
        QProcess process;
        process.setChildProcessModifier([] {
            closeOtherDescriptors();
            if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
                syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program) != 0)
                _exit(99);
        });
        process.start(path, {u"wmf"_s, u"within"_s, u"40"_s, u"10"_s});
        process.write(drawing);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished()) << what;
        EXPECT_EQ(process.exitCode(), exitCode) << what;
        EXPECT_EQ(process.readAllStandardOutput().isEmpty(), exitCode != 0) << what;
        EXPECT_EQ(process.readAllStandardError().count("not confined"), warnings) << what;
    }
}

// The program starts a helper with nothing of its own but the picture: not a library it was
// told to preload, a secret in its environment or a descriptor without close-on-exec; and the
// kernel's out-of-memory killer takes the helper first.
TEST_F(ConfinedHelper, GetsNothingOfTheProgramsButThePicture) {
    vlm::probeHelperSandbox();
    const QTemporaryDir dir;
    const QString drawing = dir.filePath(u"d.wmf"_s);
    vlmtest::wmfBytes(drawing, 40, 10);
    const int picture = open(QFile::encodeName(drawing), O_RDONLY | O_CLOEXEC);
    const int planted = open("/dev/null", O_RDONLY);
    const vlmtest::ScopedEnv preload("LD_PRELOAD", QByteArray("libvlm-spy.so"));
    const vlmtest::ScopedEnv secret("VLM_TOKEN", QByteArray("secret"));
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        vlm::prepareHelper(process, vlm::kDrawingLimits, picture);
        process.start();
        EXPECT_TRUE(process.waitForFinished()) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().data();
        return process.readAll();
    };
    // the helper refuses to decode with a descriptor it was not given
    EXPECT_FALSE(run(path, {u"wmf"_s, u"within"_s, u"40"_s, u"10"_s}).isEmpty());
    const QByteArray shell = run(u"/bin/sh"_s, {u"-c"_s, u"cat /proc/self/oom_score_adj; env"_s});
    EXPECT_TRUE(shell.startsWith("1000\n")) << shell.data();
    EXPECT_TRUE(shell.contains("\nQT_QPA_PLATFORM=offscreen\n")) << shell.data();
    EXPECT_FALSE(shell.contains("LD_PRELOAD") || shell.contains("VLM_TOKEN")) << shell.data();
    close(planted);
    close(picture);
}

} // namespace
