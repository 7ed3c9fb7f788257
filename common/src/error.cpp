#include "rir/error.h"

#include <string>

namespace rir {

namespace {

std::string WhatFailed(ErrorCode code) {
  switch (code) {
    case ErrorCode::kOpenForReading:
      return "Cannot open the file for reading";
    case ErrorCode::kRead:
      return "Cannot read the file";
    case ErrorCode::kCreateTemporary:
      return "Cannot create a temporary file beside";
    case ErrorCode::kWrite:
      return "Cannot write the file";
    case ErrorCode::kFlush:
      return "Cannot flush the file to disk";
    case ErrorCode::kReplace:
      return "Cannot replace the file";
    case ErrorCode::kSystemFolderUnknown:
      return "Cannot find the system folder";
    case ErrorCode::kRefusedAfterFailedLoad:
      return "Not writing over a file that could not be read";
    case ErrorCode::kInvalidText:
      return "The text holds a line break or a NUL character";
  }
  return "Unknown failure";
}

}  // namespace

std::string DescribeError(const Error& error) {
  std::string text = WhatFailed(error.code);
  if (!error.path.empty()) {
    text += " ";
    text += error.path;
  }
  if (!error.reason.empty()) {
    text += ": ";
    text += error.reason;
  }
  return text;
}

}  // namespace rir
