#include "process_state.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace helper {

namespace {

// Closed standard descriptors would be taken by the first files the helper opens, and the reply
// or an error would then be written into the hosts file.
bool OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF &&
        ::open("/dev/null", O_RDWR | O_NOCTTY) != fd) {
      return false;
    }
  }
  // Nothing else the user had open is ours to write to or to keep open.
  ::close_range(3, ~0U, 0);
  return true;
}

// Only the soft limit where the hard one allows it; a hard limit below what the helper needs is
// raised too, which needs CAP_SYS_RESOURCE (without it, the helper refuses to serve).
bool RaiseTo(int resource, rlim_t at_least) {
  struct rlimit limit {};
  if (::getrlimit(resource, &limit) != 0) {
    return false;
  }
  if (limit.rlim_cur != RLIM_INFINITY && (at_least == RLIM_INFINITY || limit.rlim_cur < at_least)) {
    limit.rlim_cur = at_least;
    if (limit.rlim_max != RLIM_INFINITY &&
        (at_least == RLIM_INFINITY || limit.rlim_max < at_least)) {
      limit.rlim_max = at_least;
    }
    return ::setrlimit(resource, &limit) == 0;
  }
  return true;
}

// A file-size limit would cut the count of wrong passwords and every save short; a processor-time,
// memory or descriptor limit would end a save part way; a core file would hold the password.
bool SetLimits() {
  constexpr rlim_t kStack = rlim_t{8} << 20;
  constexpr rlim_t kDescriptors = 1024;
  const struct rlimit no_core {};
  return RaiseTo(RLIMIT_FSIZE, RLIM_INFINITY) && RaiseTo(RLIMIT_CPU, RLIM_INFINITY) &&
         RaiseTo(RLIMIT_AS, RLIM_INFINITY) && RaiseTo(RLIMIT_DATA, RLIM_INFINITY) &&
         RaiseTo(RLIMIT_RTTIME, RLIM_INFINITY) && RaiseTo(RLIMIT_STACK, kStack) &&
         RaiseTo(RLIMIT_NOFILE, kDescriptors) && ::setrlimit(RLIMIT_CORE, &no_core) == 0;
}

// Every signal as the system sets it, none blocked: an ignored SIGALRM would outlive the alarm.
bool DefaultSignals() {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  ::sigemptyset(&standard.sa_mask);
  for (int signal = 1; signal < NSIG; ++signal) {
    // SIGKILL, SIGSTOP and the C library's own refuse, and need nothing.
    ::sigaction(signal, &standard, nullptr);
  }
  sigset_t none;
  ::sigemptyset(&none);
  return ::sigprocmask(SIG_SETMASK, &none, nullptr) == 0;
}

// A low priority or the idle class would keep the save lock held for as long as the machine is
// busy.
bool UsualPriority() {
  const struct sched_param usual {};
  constexpr int kWhoProcess = 1;
  constexpr int kBestEffortNormal = (2 << 13) | 4;
  return ::setpriority(PRIO_PROCESS, 0, 0) == 0 &&
         ::sched_setscheduler(0, SCHED_OTHER, &usual) == 0 &&
         ::syscall(SYS_ioprio_set, kWhoProcess, 0, kBestEffortNormal) == 0;
}

// The parent of a helper that had to fork: waits for it and ends as it ended. The terminal's
// signals must not stop or end it early, since the program waits for this process.
[[noreturn]] void WaitForChild(pid_t child) {
  for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU, SIGHUP, SIGINT, SIGQUIT}) {
    ::signal(signal, SIG_IGN);
  }
  // The child answers; the request and the reply are its own.
  ::close(STDIN_FILENO);
  ::close(STDOUT_FILENO);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      ::_exit(2);
    }
  }
  constexpr int kSignalled = 128;
  ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : kSignalled + WTERMSIG(status));
}

// Out of the terminal's session, a helper cannot be stopped by the user's ^Z, nor ended by the
// terminal's hangup, while it holds the save lock.
bool OwnSession() {
  if (::setsid() >= 0) {
    return true;
  }
  if (errno != EPERM) {
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    return false;
  }
  if (child > 0) {
    WaitForChild(child);
  }
  return ::setsid() >= 0;
}

}  // namespace

bool PutProcessStateInOrder() {
  // The descriptors first, so that nothing opened below can take a standard one's number.
  const bool descriptors = OpenStandardDescriptors();
  const bool signals = DefaultSignals();
  ::umask(022);
  const bool folder = ::chdir("/") == 0;
  return descriptors && signals && folder && SetLimits() && UsualPriority() && OwnSession();
}

}  // namespace helper
