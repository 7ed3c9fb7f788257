#include "helper/helper_files.h"

#include "blocklist/file_io.h"
#include "helper/run_with_input.h"
#include "rir/text.h"

namespace helper {

namespace {

// pkexec's own words when it refuses ("Not authorized", "No authentication agent found").
constexpr std::size_t kMostReplyBytes = 1 << 20;

}  // namespace

std::vector<std::string> PkexecCommand(const std::string& folder) {
  return {"/usr/bin/pkexec", "--disable-internal-agent", folder + "/rir-avadera-helper"};
}

rir::Result<Message> HelperFiles::Ask(const Message& request) const {
  const std::string& program = command_.back();
  auto finished = RunWithInput(command_, Encode(request), kMostReplyBytes);
  if (!finished) {
    rir::Error failure = finished.error();
    failure.code = rir::ErrorCode::kHelperFailed;
    return failure;
  }
  auto reply = Decode(finished->out);
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
  if (reply->kind != kOk) {
    return ErrorIn(*reply);
  }
  return std::move(*reply);
}

rir::Result<blocklist::SaveOutcome> HelperFiles::WriteHosts(
    const std::string& path, std::string_view text, const blocklist::KeepPreviousText& /*keep*/) {
  // A file that holds the text already asks nothing of anyone, as a save of the program's own
  // would write nothing (the second write of Exit).
  if (blocklist::FileHoldsExactly(path, text)) {
    return blocklist::SaveOutcome{};
  }
  // The helper keeps the file's earlier text itself, where only it may write.
  Message request{std::string(kSaveHosts), {}};
  request.With("password", password_).With("path", path).With("text", std::string(text));
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  blocklist::SaveOutcome outcome;
  const std::string* changed = reply->Field("changed");
  outcome.changed = changed == nullptr || *changed != "0";
  if (reply->Field("history-code") != nullptr) {
    outcome.history_failure = ErrorIn(*reply, "history-");
  }
  return outcome;
}

std::string HelperFiles::ReadFirstRun() {
  auto reply = Ask(Message{std::string(kReadFirstRun), {}});
  const std::string* value = reply ? reply->Field("value") : nullptr;
  return value != nullptr ? *value : std::string();
}

rir::Result<void> HelperFiles::WriteFirstRun(const std::string& value) {
  Message request{std::string(kWriteFirstRun), {}};
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
  Message request{std::string(kCheckPassword), {}};
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
  Message request{std::string(kStorePassword), {}};
  request.With("password", password_).With("new-password", std::string(typed));
  auto reply = Ask(request);
  if (!reply) {
    return reply.error();
  }
  password_ = std::string(typed);
  return {};
}

}  // namespace helper
