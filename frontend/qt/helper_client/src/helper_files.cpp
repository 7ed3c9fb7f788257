#include "helper_client/helper_files.h"

#include <charconv>

#include "helper_client/run_with_input.h"
#include "hostsfile/file_io.h"
#include "rir/text.h"

namespace helper_client {

using helper::EncodedPieces;
using helper::ErrorIn;
using helper::Message;

namespace {

// pkexec's own words when it refuses ("Not authorized", "No authentication agent found").
constexpr std::size_t kMostReplyBytes = 1 << 20;

}  // namespace

std::vector<std::string> PkexecCommand(const std::string& folder) {
  return {"/usr/bin/pkexec", "--disable-internal-agent", folder + "/rir-avadera-helper"};
}

std::string_view HelperFiles::WaitingText() const {
  return "Waiting for the administrator's helper, which reads and writes the system's files. The "
         "system may ask for a password first.";
}

rir::Result<Message> HelperFiles::Ask(const Message& request, std::string_view last_name,
                                      std::string_view last) const {
  const std::string& program = command_.back();
  const EncodedPieces encoded = last_name.empty()
                                    ? EncodedPieces{helper::Encode(request), {}}
                                    : helper::EncodeWithLast(request, last_name, last);
  const auto pieces = encoded.pieces();
  const std::span<const std::string_view> input(pieces.data(), last_name.empty() ? 1 : 3);
  auto finished = RunWithInput(command_, input, kMostReplyBytes, most_wait_);
  if (!finished) {
    rir::Error failure = finished.error();
    failure.code = rir::ErrorCode::kHelperFailed;
    return failure;
  }
  auto reply = helper::Decode(finished->out);
  if (!reply) {
    // It never came to answer: pkexec refused, or the helper is not where it should be.
    std::string reason(rir::Trimmed(finished->err, " \t\r\n"));
    if (reason.empty()) {
      reason = finished->exit_status < 0
                   ? std::string("it was ended by a signal")
                   : "it ended with status " + std::to_string(finished->exit_status);
    }
    return rir::Error{rir::ErrorCode::kHelperFailed, program, std::move(reason)};
  }
  if (reply->kind != helper::kOk) {
    return ErrorIn(*reply);
  }
  return std::move(*reply);
}

namespace {

// What a reply to a save says besides its success.
hostsfile::SaveOutcome SaveOutcomeOf(const Message& reply) {
  hostsfile::SaveOutcome outcome;
  const std::string* changed = reply.Field("changed");
  outcome.changed = changed == nullptr || *changed != "0";
  if (reply.Field("history-code") != nullptr) {
    outcome.history_failure = ErrorIn(reply, "history-");
  }
  if (reply.Field("record-code") != nullptr) {
    outcome.record_failure = ErrorIn(reply, "record-");
  }
  if (reply.Field("policy-code") != nullptr) {
    outcome.browser_policy_failure = ErrorIn(reply, "policy-");
  }
  if (reply.Field("flushed") != nullptr) {
    outcome.flushed_caches.emplace();
    if (reply.Field("flush-code") != nullptr) {
      outcome.flushed_caches->push_back(ErrorIn(reply, "flush-"));
    }
  }
  return outcome;
}

std::size_t Count(const Message& reply, std::string_view name) {
  const std::string* text = reply.Field(name);
  std::size_t count = 0;
  if (text != nullptr) {
    std::from_chars(text->data(), text->data() + text->size(), count);
  }
  return count;
}

}  // namespace

rir::Result<hostsfile::SaveOutcome> HelperFiles::WriteHosts(
    const std::string& path, std::string_view text, const hostsfile::KeepPreviousText& /*keep*/,
    const std::optional<hostsfile::FileStamp>& unchanged_since) {
  // A file that holds the text already asks nothing of anyone, as a save of the program's own
  // would write nothing (the second write of Exit).
  if (hostsfile::FileHoldsExactly(path, text)) {
    return hostsfile::SaveOutcome{};
  }
  // The helper keeps the file's earlier text itself, where only it may write, and empties the
  // resolver caches as root.
  Message request{std::string(helper::kSaveHosts), {}};
  request.With("password", password_)
      .With("path", path)
      .With("stamp", helper::EncodeStamp(unchanged_since));
  auto reply = Ask(request, "text", text);
  if (!reply) {
    return reply.error();
  }
  return SaveOutcomeOf(*reply);
}

rir::Result<std::optional<hostsfile::BlockedAgain>> HelperFiles::BlockAgain(
    const std::string& path, const std::vector<std::string>& /*blocked*/,
    const hostsfile::KeepPreviousText& /*keep*/) {
  // The helper puts back what its own record of the last save with the password holds.
  Message request{std::string(helper::kBlockAgain), {}};
  request.With("path", path);
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  const hostsfile::SaveOutcome saved = SaveOutcomeOf(*reply);
  if (!saved.changed) {
    return std::optional<hostsfile::BlockedAgain>();
  }
  return std::optional<hostsfile::BlockedAgain>(hostsfile::BlockedAgain{
      Count(*reply, "removed"), Count(*reply, "allowed"), Count(*reply, "partial"), saved, {}});
}

rir::Result<std::optional<hostsfile::FinishedSave>> HelperFiles::FinishSave(
    const std::string& path) {
  Message request{std::string(helper::kFinishSave), {}};
  request.With("path", path);
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  const std::string* journal = reply->Field("journal");
  const std::string* bytes = reply->Field("bytes");
  if (journal == nullptr || bytes == nullptr) {
    return std::optional<hostsfile::FinishedSave>();
  }
  std::size_t count = 0;
  std::from_chars(bytes->data(), bytes->data() + bytes->size(), count);
  return std::optional<hostsfile::FinishedSave>(
      hostsfile::FinishedSave{*journal, count, reply->Field("dropped") != nullptr});
}

std::string HelperFiles::ReadFirstRun() {
  auto reply = Ask(Message{std::string(helper::kReadFirstRun), {}});
  const std::string* value = reply ? reply->Field("value") : nullptr;
  return value != nullptr ? *value : std::string();
}

rir::Result<void> HelperFiles::WriteFirstRun(const std::string& value) {
  Message request{std::string(helper::kWriteFirstRun), {}};
  request.With("password", password_).With("value", value);
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  return {};
}

rir::Result<ui::StoredPassword> HelperFiles::ReadPassword() {
  // Only the helper may read it; it checks each attempt.
  return ui::StoredPassword{std::nullopt, state_path_};
}

rir::Result<bool> HelperFiles::PasswordMatches(std::string_view typed,
                                               const ui::StoredPassword& /*stored*/) {
  Message request{std::string(helper::kCheckPassword), {}};
  request.With("password", std::string(typed));
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  const std::string* matches = reply->Field("matches");
  const bool matched = matches != nullptr && *matches == "1";
  if (matched) {
    password_ = std::string(typed);
  }
  return matched;
}

rir::Result<void> HelperFiles::StorePassword(std::string_view typed) {
  Message request{std::string(helper::kStorePassword), {}};
  request.With("password", password_).With("new-password", std::string(typed));
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  password_ = std::string(typed);
  return {};
}

namespace {

// The lock a reply holds; nothing when it holds none.
rir::Result<std::optional<lock::Lock>> LockIn(const Message& reply) {
  const std::string* times = reply.Field("times");
  const std::string* names = reply.Field("names");
  if (times == nullptr || names == nullptr) {
    return std::optional<lock::Lock>();
  }
  auto decoded_times = lock::DecodeTimes(*times, "rir-avadera-helper");
  auto decoded_names = lock::DecodeNames(*names, "rir-avadera-helper");
  if (!decoded_times || !decoded_names) {
    return !decoded_times ? decoded_times.error() : decoded_names.error();
  }
  const std::string* recovered = reply.Field("recovered");
  return std::optional<lock::Lock>(lock::Lock{std::move(*decoded_times), std::move(*decoded_names),
                                              recovered != nullptr && *recovered == "1"});
}

}  // namespace

rir::Result<std::optional<lock::Lock>> HelperFiles::ReadLock(const std::string& path) {
  auto reply = Ask(Message{std::string(helper::kReadLock), {}}.With("path", path));
  if (!reply) {
    return reply.error();
  }
  return LockIn(*reply);
}

rir::Result<lock::Lock> HelperFiles::StartLock(const std::string& path, std::int64_t length,
                                               bool count_only_on) {
  auto reply = Ask(Message{std::string(helper::kStartLock), {}}
                       .With("password", password_)
                       .With("path", path)
                       .With("length", std::to_string(length))
                       .With("only-on", count_only_on ? "1" : "0"));
  if (!reply) {
    return reply.error();
  }
  auto on = LockIn(*reply);
  if (!on) {
    return on.error();
  }
  return on->value_or(lock::Lock{});
}

rir::Result<schedule::ScheduleRecord> HelperFiles::ReadSchedule(const std::string& path) {
  auto reply = Ask(Message{std::string(helper::kReadSchedule), {}}.With("path", path));
  if (!reply) {
    return reply.error();
  }
  const std::string* text = reply->Field("schedule");
  if (text == nullptr) {
    return rir::Error{rir::ErrorCode::kBadRequest, "rir-avadera-helper",
                      "no schedule in its reply"};
  }
  return schedule::DecodeSchedule(*text, "rir-avadera-helper");
}

rir::Result<void> HelperFiles::SaveSchedule(const std::string& path,
                                            const schedule::ScheduleRecord& record) {
  auto reply = Ask(Message{std::string(helper::kSaveSchedule), {}}
                       .With("password", password_)
                       .With("path", path)
                       .With("schedule", schedule::EncodeSchedule(record.schedule, record.names)));
  if (!reply) {
    return reply.error();
  }
  return {};
}

// The helper knows where the policies lie: the request names no file.
rir::Result<void> HelperFiles::ChooseBrowserSettings(const std::string& /*path*/,
                                                     bool leave_alone) {
  auto reply = Ask(Message{std::string(helper::kBrowserChoice), {}}
                       .With("password", password_)
                       .With("leave-alone", leave_alone ? "1" : "0"));
  if (!reply) {
    return reply.error();
  }
  if (reply->Field("policy-code") != nullptr) {
    return ErrorIn(*reply, "policy-");
  }
  return {};
}

}  // namespace helper_client
