#include "decoder/confine.h"
#include "unit/picturebytes.h"

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

// The errno the probe failed with in a confined child (0: none), or minus the signal that ended
// it. The child holds a socket made before the confinement, as a taken-over helper would.
int inConfinedChild(const Probe& probe) {
    const pid_t child = fork();
    if (child == 0) {
        const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
        const Confinement confinement = vlm::decoder::confineDecoding();
        if (confinement == Confinement::Failed)
            _exit(kNotConfined);
        if (probe.needsLandlock && confinement != Confinement::Full)
            _exit(kFilesNotConfined);
        _exit(probe.attempt(socketFd) < 0 ? errno : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

// Maps a page with the protection, or (later) a readable one that then gets it.
long mapped(int protection, bool later = false) {
    void* at =
        mmap(nullptr, 4096, later ? PROT_READ : protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
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
        {"map new executable memory",
         [](int) { return mapped(PROT_READ | PROT_WRITE | PROT_EXEC); }, EPERM},
        {"make memory executable", [](int) { return mapped(PROT_READ | PROT_EXEC, true); }, EPERM},
        // what decoding needs
        {"read the libraries' folder", [](int) { return open("/usr/lib", O_RDONLY); }, 0},
        {"read the linker's cache", [](int) { return open("/etc/ld.so.cache", O_RDONLY); }, 0},
        {"start a thread",
         [](int) {
             std::thread([] {}).join();
             return 0;
         },
         0},
        {"write to standard error", [](int) { return write(STDERR_FILENO, "", 0); }, 0},
    };
    for (const Probe& probe : probes) {
        const int got = inConfinedChild(probe);
        ASSERT_NE(got, kNotConfined) << "the system-call filter could not be installed";
        if (got == kFilesNotConfined)
            EXPECT_LT(syscall(SYS_landlock_create_ruleset, nullptr, 0, 1), 1)
                << "the kernel offers Landlock, yet it was not applied: " << probe.what;
        else
            EXPECT_EQ(got, probe.expected) << probe.what;
    }
    close(server);
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

// A filter that makes system calls fail as on a kernel that lacks Landlock or seccomp.
std::vector<sock_filter> lackingKernel(bool landlock, bool seccomp) {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!landlock)
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(landlock_create_ruleset), 0);
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
// renders without Landlock (and says so once), and renders nothing without seccomp.
TEST_F(ConfinedHelper, OnAnOlderKernelRendersOnlyUnderItsFilter) {
    const QTemporaryDir dir;
    const QByteArray drawing = vlmtest::wmfBytes(dir.filePath(u"d.wmf"_s), 40, 10);
    // What the kernel offers (Landlock, seccomp), the exit code, the warnings.
    const std::tuple<const char*, bool, bool, int, int> kernels[] = {
        {"a current kernel", true, true, 0, 0},
        {"no Landlock", false, true, 0, 1},
        {"no seccomp", true, false, 5, 0},
    };
    for (const auto& [what, landlock, seccomp, exitCode, warnings] : kernels) {
        // Qt starts the child vfork-style, so the filter is made here and only loaded there.
        static sock_fprog program;
        const std::vector<sock_filter> code = lackingKernel(landlock, seccomp);
        program = {static_cast<unsigned short>(code.size()), const_cast<sock_filter*>(code.data())};
        QProcess process;
        process.setChildProcessModifier([] {
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

} // namespace
