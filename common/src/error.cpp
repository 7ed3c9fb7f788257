#include "rir/error.h"

#include <string>
#include <string_view>
#include <utility>

namespace rir {

namespace {

// What failed, with "{}" where the path goes.
std::string_view Pattern(ErrorCode code) {
  switch (code) {
    case ErrorCode::kOpenForReading:
      return "Cannot open {} for reading";
    case ErrorCode::kRead:
      return "Cannot read {}";
    case ErrorCode::kCreateTemporary:
      return "Cannot create a temporary file beside {}";
    case ErrorCode::kWrite:
      return "Cannot write {}";
    case ErrorCode::kFlush:
      return "Cannot flush {} to disk";
    case ErrorCode::kReplace:
      return "Cannot replace {}";
    case ErrorCode::kSystemFolderUnknown:
      return "Cannot find the system folder";
    case ErrorCode::kRefusedAfterFailedLoad:
      return "{} could not be read, so it is not written over";
    case ErrorCode::kInvalidText:
      return "The text holds a line break or a NUL character";
    case ErrorCode::kExecutableFolderUnknown:
      return "Cannot find the folder that holds this program";
    case ErrorCode::kPasswordHash:
      return "Cannot compute the password's hash";
    case ErrorCode::kStartProgram:
      return "Cannot start {}";
    case ErrorCode::kLeftPartWritten:
      return "{} is left part old text, part new";
    case ErrorCode::kCreateFolder:
      return "Cannot create the folder {}";
    case ErrorCode::kListFolder:
      return "Cannot list the folder {}";
    case ErrorCode::kRename:
      return "Cannot rename {}";
    case ErrorCode::kRemove:
      return "Cannot remove {}";
    case ErrorCode::kKeptCopyGone:
      return "The kept copy {} is no longer there";
    case ErrorCode::kNotRegularFile:
      return "{} is not a regular file, so it is neither read nor written";
    case ErrorCode::kTooLarge:
      return "{} is too large";
    case ErrorCode::kOutOfMemory:
      return "There is not enough memory to read {}";
    case ErrorCode::kFlushResolverCache:
      return "Cannot empty the name cache through {}";
    case ErrorCode::kNotAHostName:
      return "\"{}\" is not the name of a website";
    case ErrorCode::kChangedSinceLoad:
      return "{} was changed by another program after the list was loaded";
    case ErrorCode::kUtf16Text:
      return "{} is written in UTF-16, which this program can neither read nor write without "
             "mixing encodings; it is left as it is";
    case ErrorCode::kUnclearPassword:
      return "The password in {} cannot be found for certain";
    case ErrorCode::kDamagedPasswordHash:
      return "The password hash in {} is damaged";
    case ErrorCode::kLock:
      return "Cannot lock {}";
    case ErrorCode::kRestrictAccess:
      return "Cannot make {} readable by administrators only";
    case ErrorCode::kWrongPassword:
      return "The password given is not the one stored in {}";
    case ErrorCode::kHelperFailed:
      return "Cannot have {} act as an administrator";
    case ErrorCode::kBadRequest:
      return "{} refuses the request";
    case ErrorCode::kTooManyWrongPasswords:
      return "Too many wrong passwords were given, as {} counts them";
    case ErrorCode::kBusy:
      return "{} is busy";
    case ErrorCode::kNoBlockRecord:
      return "The blocks were not put back into {}";
    case ErrorCode::kStillBeingWritten:
      return "Another program is still writing {}";
    case ErrorCode::kLocked:
      return "The blocks are locked";
    case ErrorCode::kDamagedLockRecord:
      return "The record of the lock in {} is damaged";
    case ErrorCode::kBadPolicyFile:
      return "{} was left as it is: it is not a policy file the browser can read";
    case ErrorCode::kDamagedScheduleRecord:
      return "The record of the schedule in {} is damaged";
  }
  return "Unknown failure with {}";
}

}  // namespace

Error SystemFailure(ErrorCode code, std::string path) {
  std::string reason = LastSystemReason();  // before anything else can touch it
  return Error{code, std::move(path), std::move(reason)};
}

std::string DescribeError(const Error& error) {
  const std::string_view pattern = Pattern(error.code);
  std::string text;
  if (const auto slot = pattern.find("{}"); slot != std::string_view::npos) {
    text.append(pattern.substr(0, slot));
    text.append(error.path.empty() ? std::string_view("the file") : std::string_view(error.path));
    text.append(pattern.substr(slot + 2));
  } else {
    text.append(pattern);
  }
  if (!error.reason.empty()) {
    text += ": ";
    text += error.reason;
  }
  return text;
}

}  // namespace rir
