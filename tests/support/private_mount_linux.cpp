#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "private_mount.h"

namespace testsupport {

namespace {

bool WriteFile(const char* path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  return static_cast<bool>(out.flush());
}

bool BringUpLoopback() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return false;
  }
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  if (up) {
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    up = ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  }
  close(fd);
  return up;
}

bool EnterPrivateMounts(bool network) {
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  if (uid != 0) {
    if (unshare(CLONE_NEWUSER) != 0) {
      return false;
    }
    // Root inside, this user outside.
    WriteFile("/proc/self/setgroups", "deny");
    if (!WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
      return false;
    }
  }
  if (unshare(CLONE_NEWNS | (network ? CLONE_NEWNET : 0)) != 0) {
    return false;
  }
  if (network && !BringUpLoopback()) {
    return false;
  }
  // Nothing mounted here reaches the machine's own mount table.
  return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

int InPrivateChild(const std::function<int()>& part, bool network) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    return -1;
  }
  if (child == 0) {
    if (!EnterPrivateMounts(network)) {
      std::fprintf(stderr, "no private mount namespace: %s\n", std::strerror(errno));
      _exit(kNoPrivateMounts);
    }
    const int code = part();
    std::fflush(nullptr);
    _exit(code);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int InPrivateMounts(const std::function<int()>& part) {
  return InPrivateChild(part, false);
}

int InPrivateNetwork(const std::function<int()>& part) {
  return InPrivateChild(part, true);
}

bool MountSmallDisk(const std::string& folder, std::size_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    std::fprintf(stderr, "cannot mount a tmpfs on %s: %s\n", folder.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

bool BindFile(const std::string& from, const std::string& onto) {
  if (mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    std::fprintf(stderr, "cannot bind %s onto %s: %s\n", from.c_str(), onto.c_str(),
                 std::strerror(errno));
    return false;
  }
  return true;
}

bool MakeReadOnly(const std::string& folder) {
  if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    std::fprintf(stderr, "cannot make %s read-only: %s\n", folder.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

void FillUpTo(const std::string& folder, std::size_t leave) {
  struct statvfs disk {};
  if (statvfs(folder.c_str(), &disk) != 0) {
    return;
  }
  const std::size_t free_bytes = static_cast<std::size_t>(disk.f_bavail) * disk.f_frsize;
  if (free_bytes <= leave) {
    return;
  }
  std::ofstream filler(folder + "/filler", std::ios::binary);
  const std::string block(4096, 'x');
  for (std::size_t written = 0; written + block.size() <= free_bytes - leave;
       written += block.size()) {
    filler.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
}

}  // namespace testsupport
