// Runs part of a test in a child process with a mount namespace of its own, where it may mount
// a small file system or make one read-only without touching this machine's. As root the child
// needs nothing more; otherwise it first enters a user namespace in which it is root.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace testsupport {

// The child's exit code when the system allows no private mount namespace: the test skips.
inline constexpr int kNoPrivateMounts = 77;

// Skips the test when the child could not have a private mount namespace.
#define SKIP_WITHOUT_PRIVATE_MOUNTS(code)                                 \
  if ((code) == testsupport::kNoPrivateMounts) {                          \
    GTEST_SKIP() << "this system allows no private mount namespace here"; \
  }

// Runs `part` in a child process in a private mount namespace and gives back its exit code
// (0: it passed; it prints why it did not).
int InPrivateMounts(const std::function<int()>& part);
// The same, in a network namespace of its own too: only its loopback interface, brought up, so
// that what the child serves on 127.0.0.x is all it reaches.
int InPrivateNetwork(const std::function<int()>& part);

// In the child: mounts a tmpfs of `bytes` over `folder`; false (with the reason printed) when
// it cannot.
bool MountSmallDisk(const std::string& folder, std::size_t bytes);
// In the child: mounts the file `from` over the file `onto`, as a container's /etc/hosts is.
bool BindFile(const std::string& from, const std::string& onto);
// In the child: makes the file system mounted over `folder` read-only.
bool MakeReadOnly(const std::string& folder);

// Fills the file system of `folder` until at most `leave` bytes are free.
void FillUpTo(const std::string& folder, std::size_t leave);

}  // namespace testsupport
