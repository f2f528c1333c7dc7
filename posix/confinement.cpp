#include "posix/confinement.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/ioctl.h>
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
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "an argument's low word is read at the argument's own address");

constexpr unsigned allow = SECCOMP_RET_ALLOW;

constexpr unsigned failWith(int error)
{
    return SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA);
}

constexpr unsigned refuse = failWith(EPERM);

constexpr unsigned newNamespaces = CLONE_NEWNS | CLONE_NEWCGROUP | CLONE_NEWUTS | CLONE_NEWIPC |
                                   CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET | 0x80U; // time

// One filter, built rule after rule: each rule looks at the call's number, which stays loaded
// between rules, and a rule that reads an argument ends in an answer on every path.
class Filter
{
public:
    Filter()
    {
        // Another architecture's numbers would mean other calls.
        load(offsetof(seccomp_data, arch));
        jump(BPF_JEQ, thisArchitecture, 1, 0);
        answer(refuse);
        load(offsetof(seccomp_data, nr));
#ifdef __x86_64__
        // The x32 calls share the numbers, with a high bit set.
        jump(BPF_JGE, 0x40000000U, 0, 1);
        answer(refuse);
#endif
    }

    void on(long call, unsigned action)
    {
        jump(BPF_JEQ, static_cast<unsigned>(call), 0, 1);
        answer(action);
    }

    // The call passes only when its argument's low word is one of `values`.
    void onlyWith(long call, int argument, std::initializer_list<unsigned> values)
    {
        whenArgument(call, argument, values, allow, refuse);
    }

    // The call is refused when its argument's low word is one of `values`.
    void notWith(long call, int argument, std::initializer_list<unsigned> values)
    {
        whenArgument(call, argument, values, refuse, allow);
    }

    // clone makes threads of this process, never a new process or namespaces; clone3 keeps its
    // flags in memory the filter cannot read: said missing, the C library falls back to clone.
    void threadsOnly()
    {
        jump(BPF_JEQ, SYS_clone, 0, 5);
        load(argumentWord(0));
        jump(BPF_JSET, newNamespaces, 2, 0);
        jump(BPF_JSET, CLONE_THREAD, 0, 1);
        answer(allow);
        answer(refuse);
        on(SYS_clone3, failWith(ENOSYS));
    }

    bool install(unsigned otherwise)
    {
        answer(otherwise);
        const sock_fprog program{static_cast<unsigned short>(m_program.size()), m_program.data()};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
            return false;
        // Every thread the process already has gets the same filter, or none does.
        return ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC,
                         &program) == 0;
    }

private:
    static unsigned argumentWord(int argument)
    {
        return static_cast<unsigned>(offsetof(seccomp_data, args) +
                                     sizeof(std::uint64_t) * static_cast<unsigned>(argument));
    }

    void whenArgument(long call, int argument, std::initializer_list<unsigned> values,
                      unsigned matched, unsigned otherwise)
    {
        const auto count = static_cast<unsigned char>(values.size());
        jump(BPF_JEQ, static_cast<unsigned>(call), 0, static_cast<unsigned char>(count + 3));
        load(argumentWord(argument));
        unsigned char left = count;
        for (const unsigned value : values)
            jump(BPF_JEQ, value, left--, 0);
        answer(otherwise);
        answer(matched);
    }

    void load(unsigned offset)
    {
        m_program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset));
    }
    void jump(unsigned short test, unsigned value, unsigned char ifTrue, unsigned char ifFalse)
    {
        m_program.push_back(BPF_JUMP(BPF_JMP | test | BPF_K, value, ifTrue, ifFalse));
    }
    void answer(unsigned action)
    {
        m_program.push_back(BPF_STMT(BPF_RET | BPF_K, action));
    }

    std::vector<sock_filter> m_program;
};

// What a process working on its open descriptors needs; nothing here names a file, a process
// or an address. A pipe or an event counter of its own reaches nothing either: threads wake each
// other through one, and checked builds test with a pipe whether memory is readable.
constexpr long descriptorCalls[] = {
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

// What a document's interpreter has no business doing, whatever the files it may open.
constexpr long reachingOut[] = {
    // The network, and descriptors passed through a socket it was handed.
    SYS_socket,
    SYS_socketpair,
    SYS_connect,
    SYS_bind,
    SYS_listen,
    SYS_accept,
    SYS_accept4,
    SYS_sendto,
    SYS_recvfrom,
    SYS_sendmsg,
    SYS_recvmsg,
    SYS_sendmmsg,
    SYS_recvmmsg,
    // Programs and processes.
    SYS_execve,
    SYS_execveat,
#ifdef SYS_fork
    SYS_fork,
    SYS_vfork,
#endif
    // Other processes' memory, descriptors and state.
    SYS_ptrace,
    SYS_process_vm_readv,
    SYS_process_vm_writev,
    SYS_kcmp,
    SYS_pidfd_open,
    SYS_pidfd_getfd,
    SYS_pidfd_send_signal,
    SYS_process_madvise,
    SYS_migrate_pages,
    SYS_move_pages,
    SYS_setpriority,
    SYS_sched_setaffinity,
    SYS_sched_setparam,
    SYS_sched_setscheduler,
    SYS_sched_setattr,
    SYS_ioprio_set,
    // The walls themselves: mounts, namespaces, roots, privileges, kernel confinement.
    SYS_mount,
    SYS_umount2,
    SYS_pivot_root,
    SYS_chroot,
    SYS_unshare,
    SYS_setns,
    SYS_open_tree,
    SYS_move_mount,
    SYS_fsopen,
    SYS_fsconfig,
    SYS_fsmount,
    SYS_fspick,
    SYS_mount_setattr,
    SYS_setuid,
    SYS_setgid,
    SYS_setreuid,
    SYS_setregid,
    SYS_setresuid,
    SYS_setresgid,
    SYS_setfsuid,
    SYS_setfsgid,
    SYS_setgroups,
    SYS_capset,
    SYS_landlock_create_ruleset,
    SYS_landlock_add_rule,
    SYS_landlock_restrict_self,
    SYS_name_to_handle_at,
    SYS_open_by_handle_at,
    SYS_mknodat,
#ifdef SYS_mknod
    SYS_mknod,
#endif
    // Memory that no file system's limit counts, and kernel interfaces that see past the rest.
    SYS_memfd_create,
    SYS_userfaultfd,
    SYS_io_uring_setup,
    SYS_io_uring_enter,
    SYS_io_uring_register,
    SYS_bpf,
    SYS_perf_event_open,
    SYS_fanotify_init,
    SYS_keyctl,
    SYS_add_key,
    SYS_request_key,
    // The machine's own settings.
    SYS_init_module,
    SYS_finit_module,
    SYS_delete_module,
    SYS_kexec_load,
    SYS_kexec_file_load,
    SYS_reboot,
    SYS_swapon,
    SYS_swapoff,
    SYS_acct,
    SYS_settimeofday,
    SYS_clock_settime,
    SYS_clock_adjtime,
    SYS_adjtimex,
    SYS_syslog,
    SYS_quotactl,
    SYS_sethostname,
    SYS_setdomainname,
    SYS_vhangup,
    SYS_personality,
#ifdef __x86_64__
    SYS_iopl,
    SYS_ioperm,
    SYS_modify_ldt,
    SYS_uselib,
    SYS_ustat,
    SYS_sysfs,
    SYS__sysctl,
    SYS_lookup_dcookie,
#endif
};

void answerEach(Filter &filter, std::span<const long> calls, unsigned action)
{
    for (const long call : calls)
        filter.on(call, action);
}

} // namespace

bool confineToOpenDescriptors()
{
    Filter filter;
    answerEach(filter, descriptorCalls, allow);
    filter.threadsOnly();
    return filter.install(refuse);
}

bool confineToOwnProcess(pid_t self)
{
    Filter filter;
    answerEach(filter, reachingOut, refuse);
    filter.threadsOnly();
    const auto me = static_cast<unsigned>(self);
    // Signals: to itself only (raise, abort, and its own threads, all in this thread group).
    filter.onlyWith(SYS_kill, 0, {me});
    filter.onlyWith(SYS_tkill, 0, {me});
    filter.onlyWith(SYS_tgkill, 0, {me});
    filter.onlyWith(SYS_rt_sigqueueinfo, 0, {me});
    filter.onlyWith(SYS_rt_tgsigqueueinfo, 0, {me});
    // Its own resource limits only (the C library names itself 0).
    filter.onlyWith(SYS_prlimit64, 0, {0U, me});
    // Characters pushed into the input of a terminal it writes to would run as the user's.
    filter.notWith(SYS_ioctl, 1, {TIOCSTI, TIOCLINUX});
    return filter.install(allow);
}

bool refuseSystemCalls(std::span<const long> calls, int error)
{
    Filter filter;
    answerEach(filter, calls, failWith(error));
    return filter.install(allow);
}

} // namespace posix
