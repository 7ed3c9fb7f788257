// What the Linux program and its privileged helper say to each other: one request on the
// helper's standard input, one reply on its standard output. Each is a greeting line, a kind and
// named fields of bytes, each field sized, so that any text (a whole hosts file, a password with
// line breaks) goes as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rir/error.h"
#include "rir/file_read.h"
#include "rir/result.h"

namespace helper {

// The requests, and the fields they carry.
inline constexpr std::string_view kSaveHosts = "save-hosts";          // password, path, text
inline constexpr std::string_view kReadFirstRun = "read-firstrun";    // (nothing)
inline constexpr std::string_view kWriteFirstRun = "write-firstrun";  // password, value
inline constexpr std::string_view kCheckPassword = "check-password";  // password
inline constexpr std::string_view kStorePassword = "store-password";  // password, new-password
// The replies: "ok" with what the request asked for (changed, matches, value, and history-*
// when the hosts file's earlier text could not be kept), or "error" with code, path and reason.
inline constexpr std::string_view kOk = "ok";
inline constexpr std::string_view kFailed = "error";

// A whole hosts file and a little more.
inline constexpr std::size_t kMostMessageBytes = rir::kMostFileBytes + 65536;

struct Message {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> fields;

  // The field's bytes; nullptr when the message has none of that name.
  const std::string* Field(std::string_view name) const;
  Message& With(std::string name, std::string value);
};

std::string Encode(const Message& message);
// A message exactly as Encode writes it, or kBadRequest with what is wrong.
rir::Result<Message> Decode(std::string_view bytes);

// The error under names that begin with `prefix`.
void AddError(Message& message, const rir::Error& error, std::string_view prefix = "");
Message ErrorReply(const rir::Error& error);
// The error a reply holds under `prefix` ("" or "history-"), or kBadRequest when it holds none
// that can be read.
rir::Error ErrorIn(const Message& reply, std::string_view prefix = "");

}  // namespace helper
