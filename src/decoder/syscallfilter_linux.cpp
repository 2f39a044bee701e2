// The decoding helper's system-call allowlist. A call not on the list fails with EPERM, so a
// library probing for an optional feature (the name service's socket, a font cache it would
// like to write) carries on without it. Calls no decoder ever makes and that only a taken-over
// process wants (starting programs, tracing or reading other processes, namespaces, kernel
// keys, BPF) kill the process at once instead.

#include "decoder/confine.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <linux/sched.h>
#include <memory>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace vlm::decoder {

namespace {

using Filter = std::unique_ptr<void, decltype(&seccomp_release)>;

constexpr int kAllowed[] = {
    // reading what was opened, writing to what was handed over (standard output and error;
    // every file it could open is read-only)
    SCMP_SYS(read),
    SCMP_SYS(readv),
    SCMP_SYS(pread64),
    SCMP_SYS(write),
    SCMP_SYS(writev),
    SCMP_SYS(close),
    SCMP_SYS(lseek),
    SCMP_SYS(fcntl),
    SCMP_SYS(dup),
    SCMP_SYS(fadvise64),
    // looking files up: fontconfig, Qt's plugin loader and the dynamic linker
    SCMP_SYS(fstat),
    SCMP_SYS(newfstatat),
    SCMP_SYS(statx),
    SCMP_SYS(stat),
    SCMP_SYS(lstat),
    SCMP_SYS(access),
    SCMP_SYS(faccessat),
    SCMP_SYS(faccessat2),
    SCMP_SYS(readlink),
    SCMP_SYS(readlinkat),
    SCMP_SYS(getdents64),
    SCMP_SYS(getcwd),
    SCMP_SYS(fstatfs),
    SCMP_SYS(statfs),
    // memory (executable mappings are checked below)
    SCMP_SYS(brk),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(madvise),
    // threads, signals and time
    SCMP_SYS(futex),
    SCMP_SYS(set_robust_list),
    SCMP_SYS(rseq),
    SCMP_SYS(set_tid_address),
    SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(sigaltstack),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_getres),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(nanosleep),
    SCMP_SYS(gettimeofday),
    SCMP_SYS(restart_syscall), // a sleep or wait resumed after the process was stopped
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    // Qt's event loop wakes itself through an eventfd or a pipe
    SCMP_SYS(eventfd2),
    SCMP_SYS(pipe2),
    SCMP_SYS(poll),
    SCMP_SYS(ppoll),
    // facts about itself
    SCMP_SYS(getrandom),
    SCMP_SYS(getpid),
    SCMP_SYS(gettid),
    SCMP_SYS(getuid),
    SCMP_SYS(geteuid),
    SCMP_SYS(getgid),
    SCMP_SYS(getegid),
    SCMP_SYS(sysinfo),
    SCMP_SYS(uname),
    SCMP_SYS(getrlimit),
};

constexpr int kKilling[] = {
    SCMP_SYS(execve),
    SCMP_SYS(execveat),
    SCMP_SYS(ptrace),
    SCMP_SYS(process_vm_readv),
    SCMP_SYS(process_vm_writev),
    SCMP_SYS(mount),
    SCMP_SYS(umount2),
    SCMP_SYS(pivot_root),
    SCMP_SYS(chroot),
    SCMP_SYS(unshare),
    SCMP_SYS(setns),
    SCMP_SYS(keyctl),
    SCMP_SYS(add_key),
    SCMP_SYS(request_key),
    SCMP_SYS(bpf),
    SCMP_SYS(perf_event_open),
    SCMP_SYS(personality),
    SCMP_SYS(userfaultfd),
};

constexpr scmp_datum_t kWriteFlags = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND;

bool add(const Filter& filter, uint32_t action, int call,
         std::initializer_list<scmp_arg_cmp> args = {}) {
    return seccomp_rule_add_array(filter.get(), action, call, static_cast<unsigned>(args.size()),
                                  args.size() == 0 ? nullptr : args.begin()) == 0;
}

// A call allowed only when `arg & mask == value`.
bool allowMasked(const Filter& filter, int call, unsigned arg, scmp_datum_t mask,
                 scmp_datum_t value) {
    return add(filter, SCMP_ACT_ALLOW, call, {scmp_arg_cmp{arg, SCMP_CMP_MASKED_EQ, mask, value}});
}

bool allowEqual(const Filter& filter, int call, unsigned arg,
                std::initializer_list<scmp_datum_t> values) {
    for (const scmp_datum_t value : values) {
        if (!add(filter, SCMP_ACT_ALLOW, call, {scmp_arg_cmp{arg, SCMP_CMP_EQ, value, 0}}))
            return false;
    }
    return true;
}

// A fuzzer's timers, resource counts, and its finds: written and removed where Landlock lets it.
constexpr int kFuzzerNeeds[] = {
    SCMP_SYS(setitimer), SCMP_SYS(getrusage), SCMP_SYS(unlink),
    SCMP_SYS(unlinkat),  SCMP_SYS(openat),    SCMP_SYS(open),
};

// A server's own calls: its requests and replies on the socket it was given, a process per
// request and waiting for it; the forked process loads its own filter on top (seccomp, and
// no_new_privs set again by libseccomp) and asks to end with the server.
constexpr int kServerNeeds[] = {SCMP_SYS(recvmsg), SCMP_SYS(sendto), SCMP_SYS(wait4),
                                SCMP_SYS(seccomp)};

bool addServerRules(const Filter& filter) {
    for (const int call : kServerNeeds) {
        if (!add(filter, SCMP_ACT_ALLOW, call))
            return false;
    }
    return allowMasked(filter, SCMP_SYS(clone), 0, CLONE_THREAD, 0) &&
           // the request's descriptors become the forked process's standard input and output
           allowEqual(filter, SCMP_SYS(dup2), 1, {STDIN_FILENO, STDOUT_FILENO}) &&
           allowEqual(filter, SCMP_SYS(prctl), 0, {PR_SET_PDEATHSIG, PR_SET_NO_NEW_PRIVS});
}

bool addArgumentRules(const Filter& filter, bool forFuzzer) {
    const auto self = static_cast<scmp_datum_t>(getpid());
    return
        // files only for reading; openat2 hides its flags from the filter, and glibc falls
        // back to openat when it is missing
        (forFuzzer || (allowMasked(filter, SCMP_SYS(openat), 2, kWriteFlags, 0) &&
                       allowMasked(filter, SCMP_SYS(open), 1, kWriteFlags, 0))) &&
        add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2)) &&
        // no new executable memory at all, from a file or not: what loads late was loaded
        // before the filter (loadLateLibraries)
        allowMasked(filter, SCMP_SYS(mmap), 2, PROT_EXEC, 0) &&
        allowMasked(filter, SCMP_SYS(mprotect), 2, PROT_EXEC, 0) &&
        // threads, but no new process; clone3 hides its flags, so glibc is sent to clone
        allowMasked(filter, SCMP_SYS(clone), 0, CLONE_THREAD, CLONE_THREAD) &&
        add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3)) &&
        // signals only to itself (abort() and raise()), not to its process group
        allowEqual(filter, SCMP_SYS(kill), 0, {self}) &&
        allowEqual(filter, SCMP_SYS(tgkill), 0, {self}) &&
        // reading its own limits, never raising them
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64),
            {scmp_arg_cmp{0, SCMP_CMP_EQ, 0, 0}, scmp_arg_cmp{2, SCMP_CMP_EQ, 0, 0}}) &&
        // terminal queries, not TIOCSTI and the like
        allowEqual(filter, SCMP_SYS(ioctl), 1, {TCGETS, TIOCGWINSZ, FIONREAD}) &&
        // thread names
        allowEqual(filter, SCMP_SYS(prctl), 0, {PR_SET_NAME, PR_GET_NAME});
}

} // namespace

bool installSyscallFilter(bool forFuzzer, Serving serving) {
    const Filter filter(seccomp_init(SCMP_ACT_ERRNO(EPERM)), seccomp_release);
    // Every thread gets the filter, should a library have started one before.
    if (!filter || seccomp_attr_set(filter.get(), SCMP_FLTATR_CTL_TSYNC, 1) != 0)
        return false;
    for (const int call : kAllowed) {
        if (!add(filter, SCMP_ACT_ALLOW, call))
            return false;
    }
    for (const int call : kKilling) {
        if (!add(filter, SCMP_ACT_KILL_PROCESS, call))
            return false;
    }
    for (const int call : kFuzzerNeeds) {
        if (forFuzzer && !add(filter, SCMP_ACT_ALLOW, call))
            return false;
    }
    if (serving == Serving::ForkPerPicture && !addServerRules(filter))
        return false;
    return addArgumentRules(filter, forFuzzer) && seccomp_load(filter.get()) == 0;
}

} // namespace vlm::decoder
