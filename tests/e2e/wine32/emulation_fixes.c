/* Preloaded into every process of the 32-bit Wine that scripts/e2e32 runs under qemu-i386.
 * It fills in two things the emulator (7.2) gets wrong for Wine:
 *  - MAP_FIXED_NOREPLACE is not known: the emulator takes the address as a hint and maps
 *    elsewhere. Wine then keeps the wrong area reserved and splits its address-space
 *    reservations down to 64 KiB pieces: minutes per process start. Here such a call fails
 *    with EEXIST, as the kernel's would.
 *  - The trap number of a fault is -1 in the signal context, which Wine takes for an illegal
 *    instruction; every guard-page and stack-growth fault became a crash. Here it is set from
 *    the signal before Wine's handler sees it.
 * Built for x86_64 as well, for the native wineserver: it reads and writes a client's memory
 * (ReadProcessMemory, WriteProcessMemory) with ptrace word reads and writes, or through
 * /proc/PID/mem, at the client's own addresses, but an emulated process's address X lies at X + the guest base in the host
 * process. Every emulated process runs with the same base (QEMU_GUEST_BASE), and such reads
 * and writes are moved by it. The other 64-bit processes (shells, the emulator) do neither, so one LD_PRELOAD with $LIB serves every process. */
#define _GNU_SOURCE
#if defined(__i386__)
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static void *raw_mmap(void *addr, size_t length, int prot, int flags, int fd, uint64_t offset) {
  if (offset & 4095) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  return (void *)syscall(SYS_mmap2, addr, length, prot, flags, fd, (unsigned long)(offset >> 12));
}

static void *mmap_noreplace(void *addr, size_t length, int prot, int flags, int fd,
                            uint64_t offset) {
  if (!(flags & MAP_FIXED_NOREPLACE) || (flags & MAP_FIXED))
    return raw_mmap(addr, length, prot, flags, fd, offset);
  void *p = raw_mmap(addr, length, prot, flags & ~MAP_FIXED_NOREPLACE, fd, offset);
  if (p != MAP_FAILED && p != addr) {
    syscall(SYS_munmap, p, length);
    errno = EEXIST;
    return MAP_FAILED;
  }
  return p;
}

void *mmap(void *addr, size_t length, int prot, int flags, int fd, off_t offset) {
  return mmap_noreplace(addr, length, prot, flags, fd, (uint64_t)(uint32_t)offset);
}

void *mmap64(void *addr, size_t length, int prot, int flags, int fd, off64_t offset) {
  return mmap_noreplace(addr, length, prot, flags, fd, (uint64_t)offset);
}

typedef void (*InfoHandler)(int, siginfo_t *, void *);
static InfoHandler handlers[_NSIG];

/* x86 trap numbers: 0 divide, 4 overflow, 6 invalid opcode, 14 page fault, 16 x87 error. */
static void set_trap_number(int signal, siginfo_t *info, void *context) {
  greg_t *trap = &((ucontext_t *)context)->uc_mcontext.gregs[REG_TRAPNO];
  if (*trap == -1) {
    if (signal == SIGSEGV || signal == SIGBUS)
      *trap = 14;
    else if (signal == SIGILL)
      *trap = 6;
    else if (signal == SIGFPE)
      *trap = info->si_code == FPE_INTDIV ? 0 : info->si_code == FPE_INTOVF ? 4 : 16;
  }
  handlers[signal](signal, info, context);
}

int sigaction(int signal, const struct sigaction *act, struct sigaction *old) {
  static int (*real)(int, const struct sigaction *, struct sigaction *);
  if (!real) real = (int (*)(int, const struct sigaction *, struct sigaction *))dlsym(RTLD_NEXT, "sigaction");
  const int faults = signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE;
  if (!faults || !act || !(act->sa_flags & SA_SIGINFO) || act->sa_sigaction == set_trap_number)
    return real(signal, act, old);
  struct sigaction wrapped = *act;
  const InfoHandler previous = handlers[signal];
  handlers[signal] = act->sa_sigaction;
  wrapped.sa_sigaction = set_trap_number;
  const int rc = real(signal, &wrapped, old);
  if (rc != 0)
    handlers[signal] = previous;
  else if (old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == set_trap_number)
    old->sa_sigaction = previous;
  return rc;
}
#elif defined(__x86_64__)
#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <unistd.h>

static unsigned long long guest_base(void) {
  const char *base = getenv("QEMU_GUEST_BASE");
  return base ? strtoull(base, NULL, 0) : 0;
}

long ptrace(enum __ptrace_request request, ...) {
  static long (*real)(enum __ptrace_request, pid_t, void *, void *);
  if (!real) real = (long (*)(enum __ptrace_request, pid_t, void *, void *))dlsym(RTLD_NEXT, "ptrace");
  va_list args;
  va_start(args, request);
  const pid_t pid = va_arg(args, pid_t);
  char *addr = va_arg(args, char *);
  void *data = va_arg(args, void *);
  va_end(args);
  if (request == PTRACE_PEEKDATA || request == PTRACE_PEEKTEXT || request == PTRACE_POKEDATA ||
      request == PTRACE_POKETEXT)
    addr += guest_base();
  return real(request, pid, addr, data);
}

static off_t guest_offset(int fd, off_t offset) {
  char link[32], target[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, target, sizeof target - 1);
  if (n <= 0) return offset;
  target[n] = 0;
  const size_t len = (size_t)n;
  if (strncmp(target, "/proc/", 6) != 0 || len < 10 || strcmp(target + len - 4, "/mem") != 0)
    return offset;
  return offset + (off_t)guest_base();
}

ssize_t pread(int fd, void *buffer, size_t count, off_t offset) {
  static ssize_t (*real)(int, void *, size_t, off_t);
  if (!real) real = (ssize_t (*)(int, void *, size_t, off_t))dlsym(RTLD_NEXT, "pread");
  return real(fd, buffer, count, guest_offset(fd, offset));
}

ssize_t pwrite(int fd, const void *buffer, size_t count, off_t offset) {
  static ssize_t (*real)(int, const void *, size_t, off_t);
  if (!real) real = (ssize_t (*)(int, const void *, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
  return real(fd, buffer, count, guest_offset(fd, offset));
}
#else
typedef int EmptyOnThisArchitecture;
#endif
