#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "ini_lock.h"

namespace settings {

namespace {

// One name for every spelling of the path: the full path, letter case and separators folded.
rir::Result<std::string> MutexNameFor(const std::string& path) {
  std::string full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) {
      return rir::SystemFailure(rir::ErrorCode::kLock, path);
    }
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);
  }
  // FNV-1a: a mutex name may hold no backslash and is at most MAX_PATH characters.
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : full) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c == '/') {
      c = '\\';
    }
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  char name[64] = {};
  std::snprintf(name, sizeof name, "Local\\TamborelleRirAvadera.Ini.%016llx",
                static_cast<unsigned long long>(hash));
  return std::string(name);
}

}  // namespace

struct IniLock::Held {
  HANDLE mutex = nullptr;
  bool owned = false;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (owned) {
      ReleaseMutex(mutex);
    }
    if (mutex != nullptr) {
      CloseHandle(mutex);
    }
  }
};

IniLock::IniLock(std::unique_ptr<Held> held) : held_(std::move(held)) {}
IniLock::IniLock(IniLock&&) noexcept = default;
IniLock& IniLock::operator=(IniLock&&) noexcept = default;
IniLock::~IniLock() = default;

rir::Result<IniLock> IniLock::ForWriting(const std::string& path) {
  const auto name = MutexNameFor(path);
  if (!name) {
    return name.error();
  }
  auto held = std::make_unique<Held>();
  held->mutex = CreateMutexA(nullptr, FALSE, name->c_str());
  if (held->mutex == nullptr) {
    return rir::SystemFailure(rir::ErrorCode::kLock, path);
  }
  // A mutex whose holder ended without letting it go is ours all the same: each write is one
  // call, so nothing was left half done under it.
  const DWORD waited = WaitForSingleObject(held->mutex, static_cast<DWORD>(kMostLockWait.count()));
  if (waited == WAIT_TIMEOUT) {
    return rir::Error{rir::ErrorCode::kLock, path, LockWaitReason()};
  }
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    return rir::SystemFailure(rir::ErrorCode::kLock, path);
  }
  held->owned = true;
  return IniLock(std::move(held));
}

// The private-profile calls rewrite the file in place, so a reader must wait for a writer.
rir::Result<IniLock> IniLock::ForReading(const std::string& path) {
  return ForWriting(path);
}

}  // namespace settings
