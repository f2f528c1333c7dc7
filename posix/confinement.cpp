#include "posix/confinement.h"

#include <cerrno>
#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace posix {

namespace {

#if defined(__x86_64__)
constexpr unsigned thisArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned thisArchitecture = AUDIT_ARCH_AARCH64;
#elif defined(__i386__)
constexpr unsigned thisArchitecture = AUDIT_ARCH_I386;
#else
#error "the system call numbers of this architecture are not known here"
#endif

// What a process working on its open descriptors needs; nothing here names a file, a process
// or an address. A pipe or an event counter of its own reaches nothing either: threads wake each
// other through one, and checked builds test with a pipe whether memory is readable.
constexpr long allowedCalls[] = {
    // Bytes through the descriptors it holds, and the descriptors a socket it holds brings.
    SYS_read, SYS_write, SYS_readv, SYS_writev, SYS_pread64, SYS_pwrite64, SYS_ftruncate, SYS_close,
    SYS_lseek, SYS_recvmsg, SYS_pipe2, SYS_eventfd2,
    // Memory: the allocator's and the image library's own.
    SYS_brk, SYS_mmap, SYS_munmap, SYS_mremap, SYS_mprotect, SYS_madvise,
    // Threads of its own (the image conversions run in a pool) and their waits.
    SYS_futex, SYS_set_robust_list, SYS_rseq, SYS_rt_sigprocmask, SYS_rt_sigreturn, SYS_sigaltstack,
    SYS_gettid, SYS_getpid, SYS_sched_yield, SYS_sched_getaffinity, SYS_clock_gettime,
    SYS_clock_nanosleep, SYS_nanosleep, SYS_getrandom,
    // Its end.
    SYS_exit, SYS_exit_group};

sock_filter statement(unsigned short code, unsigned value)
{
    return BPF_STMT(code, value);
}

sock_filter jump(unsigned short code, unsigned value, unsigned char ifTrue, unsigned char ifFalse)
{
    return BPF_JUMP(code, value, ifTrue, ifFalse);
}

constexpr unsigned refuse = SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA);
constexpr unsigned allow = SECCOMP_RET_ALLOW;

std::vector<sock_filter> filter()
{
    std::vector<sock_filter> program;
    // Another architecture's numbers would mean other calls.
    program.push_back(statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)));
    program.push_back(jump(BPF_JMP | BPF_JEQ | BPF_K, thisArchitecture, 1, 0));
    program.push_back(statement(BPF_RET | BPF_K, refuse));
    program.push_back(statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
#ifdef __x86_64__
    // The x32 calls share the numbers, with a high bit set.
    program.push_back(jump(BPF_JMP | BPF_JGE | BPF_K, 0x40000000U, 0, 1));
    program.push_back(statement(BPF_RET | BPF_K, refuse));
#endif
    for (const long call : allowedCalls) {
        program.push_back(jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(call), 0, 1));
        program.push_back(statement(BPF_RET | BPF_K, allow));
    }
    // A thread of its own, sharing the confinement; never a new process. The flags are the
    // first argument's low word.
    program.push_back(jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone, 0, 4));
    program.push_back(statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args)));
    program.push_back(jump(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 0, 1));
    program.push_back(statement(BPF_RET | BPF_K, allow));
    program.push_back(statement(BPF_RET | BPF_K, refuse));
    // Its flags sit in memory the filter cannot read: said missing, the C library falls back to
    // clone.
    program.push_back(jump(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone3, 0, 1));
    program.push_back(statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS));
    program.push_back(statement(BPF_RET | BPF_K, refuse));
    return program;
}

} // namespace

bool confineToOpenDescriptors()
{
    std::vector<sock_filter> instructions = filter();
    const sock_fprog program{static_cast<unsigned short>(instructions.size()), instructions.data()};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    // Every thread the process already has gets the same filter, or none does.
    return ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &program) ==
           0;
}

} // namespace posix
