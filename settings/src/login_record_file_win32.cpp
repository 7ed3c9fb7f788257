#include <windows.h>
// windows.h first: these need its types.
#include <sddl.h>

#include <memory>
#include <optional>
#include <thread>

#include "ini_lock.h"
#include "private_file.h"
#include "rir/win32_handle.h"
#include "settings/record_file.h"

namespace settings {

namespace {

constexpr DWORD kMostRecordBytes = 256;

}  // namespace

struct LockedRecordFile::Held {
  std::string path;
  std::optional<rir::Handle> file;
  HANDLE handle() const { return file->get(); }
};

LockedRecordFile::LockedRecordFile(std::unique_ptr<Held> held) : held_(std::move(held)) {}
LockedRecordFile::LockedRecordFile(LockedRecordFile&&) noexcept = default;
LockedRecordFile& LockedRecordFile::operator=(LockedRecordFile&&) noexcept = default;
// Closing the handle lets the next process open it.
LockedRecordFile::~LockedRecordFile() = default;

rir::Result<LockedRecordFile> LockedRecordFile::Open(const std::string& path) {
  // Made with the state file's access list from the start; opened without sharing, which is the
  // lock: every other opener waits until this handle is closed.
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsOnly, SDDL_REVISION_1,
                                                            &made, nullptr)) {
    return rir::SystemFailure(rir::ErrorCode::kRestrictAccess, path);
  }
  const std::unique_ptr<void, HLOCAL (*)(HLOCAL)> descriptor(made, LocalFree);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  auto held = std::make_unique<Held>();
  held->path = path;
  const auto give_up = std::chrono::steady_clock::now() + kMostLockWait;
  for (;;) {
    held->file.emplace(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes,
                                   OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (held->file->valid()) {
      break;
    }
    const DWORD failure = GetLastError();
    if (failure != ERROR_SHARING_VIOLATION) {
      return rir::Error{rir::ErrorCode::kOpenForReading, path,
                        rir::SystemReason(static_cast<int>(failure))};
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      return rir::Error{rir::ErrorCode::kLock, path, LockWaitReason()};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (GetFileType(held->handle()) != FILE_TYPE_DISK) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, {}};
  }
  return LockedRecordFile(std::move(held));
}

rir::Result<std::string> LockedRecordFile::Read() {
  std::string text(kMostRecordBytes, '\0');
  DWORD got = 0;
  if (SetFilePointer(held_->handle(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !ReadFile(held_->handle(), text.data(), kMostRecordBytes, &got, nullptr)) {
    return rir::SystemFailure(rir::ErrorCode::kRead, held_->path);
  }
  text.resize(got);
  return text;
}

rir::Result<void> LockedRecordFile::Write(std::string_view text) {
  const HANDLE file = held_->handle();
  DWORD written = 0;
  // The new count first, then the end cut: a failed write never leaves an empty record.
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size() || !SetEndOfFile(file)) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, held_->path);
  }
  if (!FlushFileBuffers(file)) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, held_->path);
  }
  return {};
}

}  // namespace settings
