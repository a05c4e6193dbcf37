/*
 * Preload library for running the arm64 test suite under qemu-user on an
 * amd64 machine (scripts/cross-arm64).  Built for arm64 and loaded into
 * every arm64 program through LD_PRELOAD (qemu's QEMU_SET_ENV).
 *
 * It mends two gaps of qemu-user 7.2 for programs that start children:
 *
 *  - Qt 5.15 starts child processes with clone(CLONE_PIDFD), which this qemu
 *    does not emulate: the clone fails after Qt has decided (from a
 *    waitid(P_PIDFD) probe) that the kernel supports it, and QProcess is
 *    left with process id -1.  Answering the probe and such a clone as an
 *    older kernel would makes Qt take its plain fork() path.
 *
 *  - Without a binfmt_misc entry for arm64 (containers) the kernel cannot
 *    execute an arm64 program, so an arm64 program cannot start another.  An
 *    exec of an arm64 ELF file is turned into an exec of qemu with that file;
 *    other programs (shell scripts, the build machine's tools) start as they
 *    are, without this library in their environment.
 *
 * KESTA_QEMU names qemu (default /usr/bin/qemu-aarch64-static).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef CLONE_PIDFD
#define CLONE_PIDFD 0x00001000
#endif
#ifndef P_PIDFD
#define P_PIDFD 3
#endif

extern char **environ;

typedef long (*syscall_fn)(long, ...);
typedef int (*execve_fn)(const char *, char *const[], char *const[]);

long syscall(long number, ...)
{
    va_list ap;
    long a[6];
    va_start(ap, number);
    for (int i = 0; i < 6; ++i)
        a[i] = va_arg(ap, long);
    va_end(ap);

    if ((number == SYS_clone && (a[0] & CLONE_PIDFD)) || (number == SYS_waitid && a[0] == P_PIDFD)) {
        errno = number == SYS_clone ? ENOSYS : EINVAL;
        return -1;
    }
    static syscall_fn real;
    if (!real)
        real = (syscall_fn)dlsym(RTLD_NEXT, "syscall");
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

int waitid(idtype_t idtype, id_t id, siginfo_t *info, int options)
{
    if (idtype == P_PIDFD) {
        errno = EINVAL;
        return -1;
    }
    typedef int (*waitid_fn)(idtype_t, id_t, siginfo_t *, int);
    static waitid_fn real;
    if (!real)
        real = (waitid_fn)dlsym(RTLD_NEXT, "waitid");
    return real(idtype, id, info, options);
}

static int is_arm64_elf(const char *path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    Elf64_Ehdr h;
    ssize_t n = read(fd, &h, sizeof h);
    close(fd);
    return n == (ssize_t)sizeof h && memcmp(h.e_ident, ELFMAG, SELFMAG) == 0
           && h.e_ident[EI_CLASS] == ELFCLASS64 && h.e_machine == EM_AARCH64;
}

static size_t count(char *const v[])
{
    size_t n = 0;
    while (v && v[n])
        ++n;
    return n;
}

int execve(const char *path, char *const argv[], char *const envp[])
{
    static execve_fn real;
    if (!real)
        real = (execve_fn)dlsym(RTLD_NEXT, "execve");

    size_t nenv = count(envp);
    if (is_arm64_elf(path)) {
        const char *qemu = getenv("KESTA_QEMU");
        if (!qemu || !*qemu)
            qemu = "/usr/bin/qemu-aarch64-static";
        size_t nargs = count(argv);
        /* qemu -0 ARGV0 PATH ARGS... NULL.  On the stack: this runs in the
         * child of a fork, where the heap is best left alone. */
        char *args[nargs + 5];
        size_t k = 0;
        args[k++] = (char *)qemu;
        args[k++] = (char *)"-0";
        args[k++] = nargs > 0 ? argv[0] : (char *)path;
        args[k++] = (char *)path;
        for (size_t i = 1; i < nargs; ++i)
            args[k++] = argv[i];
        args[k] = NULL;
        return real(qemu, args, envp);
    }

    /* A program of the build machine: the arm64 library means nothing to
     * its loader, which would only complain about it. */
    char *env[nenv + 1];
    size_t k = 0;
    for (size_t i = 0; i < nenv; ++i)
        if (strncmp(envp[i], "LD_PRELOAD=", 11) != 0)
            env[k++] = envp[i];
    env[k] = NULL;
    return real(path, argv, env);
}

int execv(const char *path, char *const argv[])
{
    return execve(path, argv, environ);
}
