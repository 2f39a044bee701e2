// Landlock rules for the decoding helper. Debian 12's kernel headers know only the first two
// Landlock versions, so the rights of later versions are spelled out here by their values.

#include "decoder/confine.h"

#include <QFile>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vlm::decoder {

namespace {

// struct landlock_ruleset_attr of Landlock 6; older kernels accept it with the later fields 0.
struct RulesetAttr {
    uint64_t handledAccessFs = 0;
    uint64_t handledAccessNet = 0;
    uint64_t scoped = 0;
};

struct PathBeneathAttr {
    uint64_t allowedAccess;
    int32_t parentFd;
} __attribute__((packed));

constexpr uint32_t kCreateRulesetVersion = 1U << 0;
constexpr int kRulePathBeneath = 1;

constexpr uint64_t kWriteFile = 1ULL << 1;
constexpr uint64_t kReadFile = 1ULL << 2;
constexpr uint64_t kReadDir = 1ULL << 3;
constexpr uint64_t kRemoveFile = 1ULL << 5;
constexpr uint64_t kMakeReg = 1ULL << 8;
constexpr uint64_t kFsRightsOfVersion1 = (1ULL << 13) - 1; // execute .. make symlink
constexpr uint64_t kRefer = 1ULL << 13;                    // version 2
constexpr uint64_t kTruncate = 1ULL << 14;                 // version 3
constexpr uint64_t kIoctlDev = 1ULL << 15;                 // version 5
constexpr uint64_t kNetBindTcp = 1ULL << 0;                // version 4
constexpr uint64_t kNetConnectTcp = 1ULL << 1;             // version 4
constexpr uint64_t kScopeAbstractUnixSocket = 1ULL << 0;   // version 6
constexpr uint64_t kScopeSignal = 1ULL << 1;               // version 6

// Every right the kernel knows is handled, so each one not granted by a rule is denied; the
// rights of newer versions are left out on older kernels, as Landlock's documentation asks.
RulesetAttr rulesetFor(int version) {
    RulesetAttr attr;
    attr.handledAccessFs = kFsRightsOfVersion1;
    if (version >= 2)
        attr.handledAccessFs |= kRefer;
    if (version >= 3)
        attr.handledAccessFs |= kTruncate;
    if (version >= 4)
        attr.handledAccessNet = kNetBindTcp | kNetConnectTcp; // no rule: no TCP at all
    if (version >= 5)
        attr.handledAccessFs |= kIoctlDev;
    if (version >= 6)
        attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
    return attr;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// A missing path is no fault (not every system has every font folder); a path that exists
// and cannot be added is. `rights` are granted as far as the kernel handles them.
bool allow(int ruleset, const QString& path, uint64_t rights, uint64_t handled) {
    const Fd fd(open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT || errno == ENOTDIR || errno == EACCES;
    struct stat info {};
    if (fstat(fd.get(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) // rights on a folder's entries do not apply to a file
        rights &= ~(kReadDir | kMakeReg | kRemoveFile);
    PathBeneathAttr rule{rights & handled, fd.get()};
    return syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0) == 0;
}

} // namespace

int landlockVersion() {
    const long version = syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return version < 0 ? 0 : static_cast<int>(version);
}

FileRules restrictFiles(const QStringList& readable, const QStringList& writable) {
    const int version = landlockVersion();
    if (version < 1)
        return FileRules::Unavailable;
    const RulesetAttr attr = rulesetFor(version);
    const Fd ruleset(static_cast<int>(syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0)));
    if (ruleset.get() < 0)
        return FileRules::Failed;
    const uint64_t reading = kReadFile | kReadDir;
    const uint64_t writing = reading | kWriteFile | kMakeReg | kRemoveFile | kTruncate;
    for (const QString& path : readable) {
        if (!allow(ruleset.get(), path, reading, attr.handledAccessFs))
            return FileRules::Failed;
    }
    for (const QString& path : writable) {
        if (!allow(ruleset.get(), path, writing, attr.handledAccessFs))
            return FileRules::Failed;
    }
    return syscall(SYS_landlock_restrict_self, ruleset.get(), 0) == 0 ? FileRules::Applied
                                                                      : FileRules::Failed;
}

} // namespace vlm::decoder
