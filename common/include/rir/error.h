// An error that the user must hear about: what failed, on which file, and the system's own reason.
#pragma once

#include <string>

namespace rir {

enum class ErrorCode {
  kOpenForReading,
  kRead,
  kCreateTemporary,
  kWrite,
  kFlush,
  kReplace,
  kSystemFolderUnknown,
  kRefusedAfterFailedLoad,
  kInvalidText,
  kExecutableFolderUnknown,
  kPasswordHash,
  kStartProgram,
  kLeftPartWritten,
  kCreateFolder,
  kListFolder,
  kRename,
  kRemove,
  kKeptCopyGone,
  kNotRegularFile,
  kTooLarge,
  kOutOfMemory,
  kUtf16Text,
  kChangedSinceLoad,
  kNotAHostName,
  kFlushResolverCache,
  kUnclearPassword,
  kDamagedPasswordHash,
  kLock,
  kRestrictAccess,
  kWrongPassword,
  kHelperFailed,
  kBadRequest,
  // The reason is when to try again ("try again in 8 seconds").
  kTooManyWrongPasswords,
  // Another request holds what this one needs; the reason says so.
  kBusy,
  // The record of the blocks the last save with the password made does not belong to the file.
  kNoBlockRecord,
  // Another program is still writing the file: the caller looks again a moment later.
  kStillBeingWritten,
  // The change would lift a block that is locked; the reason says until when.
  kLocked,
  // The lock's record is damaged: the blocks stay locked for the longest a lock may last.
  kDamagedLockRecord,
  // A browser's policy file that is not the JSON the browser reads: left as it is.
  kBadPolicyFile,
  // The schedule's record is not whole, or not of its form.
  kDamagedScheduleRecord,
};
inline constexpr ErrorCode kLastErrorCode = ErrorCode::kDamagedScheduleRecord;

struct Error {
  ErrorCode code;
  std::string path;    // the file or folder concerned; may be empty
  std::string reason;  // the system's own words, or ours where the system gave none
};

// One line for people: "cannot read C:\...\hosts: Access denied." Every text of this kind lives
// here.
std::string DescribeError(const Error& error);

// The reason the operating system gives for its last failed call (errno or GetLastError).
std::string LastSystemReason();
std::string SystemReason(int code);

// An error of `code` on `path`, with the reason for the system's last failed call.
Error SystemFailure(ErrorCode code, std::string path);

}  // namespace rir
