// What the Linux program and its privileged helper say to each other: one request on the
// helper's standard input, one reply on its standard output. Each is a greeting line, a kind and
// named fields of bytes, each field sized, so that any text (a whole hosts file, a password with
// line breaks) goes as it is.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostsfile/file_io.h"
#include "rir/error.h"
#include "rir/file_read.h"
#include "rir/result.h"

namespace helper {

// Every message's first line.
inline constexpr std::string_view kGreeting = "rir-avadera-helper 2\n";

// The requests, and the fields they carry in this order: the password first, so that a request
// without the right one is answered before the rest is read; the hosts text last.
inline constexpr std::string_view kSaveHosts = "save-hosts";          // password, path, stamp, text
inline constexpr std::string_view kFinishSave = "finish-save";        // path
inline constexpr std::string_view kBlockAgain = "block-again";        // path
inline constexpr std::string_view kReadFirstRun = "read-firstrun";    // (nothing)
inline constexpr std::string_view kWriteFirstRun = "write-firstrun";  // password, value
inline constexpr std::string_view kCheckPassword = "check-password";  // password
inline constexpr std::string_view kStorePassword = "store-password";  // password, new-password
inline constexpr std::string_view kReadLock = "read-lock";            // path
inline constexpr std::string_view kStartLock = "start-lock";  // password, path, length, only-on
inline constexpr std::string_view kBrowserChoice = "browser-choice";  // password, leave-alone
inline constexpr std::string_view kReadSchedule = "read-schedule";    // path
inline constexpr std::string_view kSaveSchedule = "save-schedule";    // password, path, schedule
// The replies: "ok" with what the request asked for (changed, matches, value, journal and
// bytes of a finished save; times, names and recovered of a lock, none when none is on; history-*
// when the hosts file's earlier text could not be kept, flushed and flush-* when the resolver
// caches were emptied and one could not be), or "error" with code, path and reason.
inline constexpr std::string_view kOk = "ok";
inline constexpr std::string_view kFailed = "error";

// A whole hosts file and a little more.
inline constexpr std::size_t kMostMessageBytes = rir::kMostFileBytes + 65536;
// Any field but the hosts text: a password, a path, a state value.
inline constexpr std::size_t kMostFieldBytes = 65536;

// A kind's or a field's name: lower-case letters and '-'.
bool IsFieldName(std::string_view text);

struct Message {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> fields;

  // The field's bytes; nullptr when the message has none of that name.
  const std::string* Field(std::string_view name) const;
  Message& With(std::string name, std::string value);
};

std::string Encode(const Message& message);

// `message` followed by one more field, `name` holding `value`, as pieces that refer to `value`
// rather than copy it (a whole hosts file).
struct EncodedPieces {
  std::string head;
  std::string_view value;
  std::array<std::string_view, 3> pieces() const { return {head, value, "\n"}; }
};
EncodedPieces EncodeWithLast(const Message& message, std::string_view name, std::string_view value);

// A file's stamp as the save request carries it; "" for none.
std::string EncodeStamp(const std::optional<hostsfile::FileStamp>& stamp);
rir::Result<std::optional<hostsfile::FileStamp>> DecodeStamp(std::string_view text);
// A message exactly as Encode writes it, or kBadRequest with what is wrong.
rir::Result<Message> Decode(std::string_view bytes);

// The error under names that begin with `prefix`.
void AddError(Message& message, const rir::Error& error, std::string_view prefix = "");
Message ErrorReply(const rir::Error& error);
// The error a reply holds under `prefix` ("" or "history-"), or kBadRequest when it holds none
// that can be read.
rir::Error ErrorIn(const Message& reply, std::string_view prefix = "");

}  // namespace helper
