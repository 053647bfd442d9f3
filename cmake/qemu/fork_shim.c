/* Preloaded into the test programs only when they run under qemu-user.
 *
 * Debian 12's qemu-arm does not implement set_robust_list, and glibc's
 * fork() makes that call in the child, which then dies. Forking with the
 * raw clone system call (what fork is underneath) avoids it; the test
 * programs are single-threaded when they fork, so glibc's fork handlers
 * have nothing to do.
 *
 * The shim also takes itself out of LD_PRELOAD at start, so the host's
 * programs that a test starts (the shell, say) do not try to load an ARM
 * library. */
#define _GNU_SOURCE
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

pid_t fork(void) {
  /* clone(flags, stack, parent_tid, tls, child_tid) on ARM. */
  return (pid_t)syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
}

__attribute__((constructor)) static void drop_from_preload(void) {
  const char* preload = getenv("LD_PRELOAD");
  if (preload && strstr(preload, "fork_shim")) unsetenv("LD_PRELOAD");
}
