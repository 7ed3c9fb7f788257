#include "helper/serve.h"

#include <optional>

#include "blocklist/hosts_history.h"
#include "blocklist/hosts_store.h"
#include "settings/password.h"
#include "settings/state_file.h"

namespace helper {

namespace {

rir::Error Refused(std::string reason) {
  return rir::Error{rir::ErrorCode::kBadRequest, "rir-avadera-helper", std::move(reason)};
}

rir::Result<const std::string*> Needed(const Message& request, std::string_view name) {
  const std::string* value = request.Field(name);
  if (value == nullptr) {
    return Refused("the request lacks its \"" + std::string(name) + "\"");
  }
  return value;
}

// Nothing when the request carries the stored password; else why it is refused. With no
// password stored, the empty one opens, as the program's login does; who may then ask at all is
// for the system's policy to say.
std::optional<rir::Error> RefusedPassword(const Message& request, const settings::StateFile& state,
                                          const Place& place) {
  auto typed = Needed(request, "password");
  if (!typed) {
    return typed.error();
  }
  auto stored = state.ReadPassword();
  if (!stored) {
    return stored.error();
  }
  auto matches = settings::PasswordMatches(**typed, *stored);
  if (!matches) {
    rir::Error failure = matches.error();
    failure.path = place.state_path;
    return failure;
  }
  if (!*matches) {
    return rir::Error{rir::ErrorCode::kWrongPassword, place.state_path, {}};
  }
  return std::nullopt;
}

// What the program builds from a hosts file it could read; the store would refuse to read
// anything else back.
std::optional<rir::Error> RefusedHostsText(std::string_view text, const std::string& path) {
  if (text.size() > rir::kMostFileBytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, {}};
  }
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    return rir::Error{rir::ErrorCode::kUtf16Text, path, {}};
  }
  return std::nullopt;
}

Message Ok() {
  return Message{std::string(kOk), {}};
}

Message SaveHosts(const Message& request, const Place& place) {
  auto path = Needed(request, "path");
  auto text = Needed(request, "text");
  if (!path || !text) {
    return ErrorReply(!path ? path.error() : text.error());
  }
  // The program names the file it loaded; writing what it built from another file over this
  // one would drop this one's lines.
  if (**path != place.hosts_path) {
    return ErrorReply(Refused("it writes " + place.hosts_path + " only, not " + **path));
  }
  if (auto refused = RefusedHostsText(**text, place.hosts_path)) {
    return ErrorReply(*refused);
  }
  const blocklist::HostsHistory history(place.history_folder);
  auto saved = blocklist::ReplaceHostsFile(
      place.hosts_path, **text,
      [&history](const std::string& hosts_path) { return history.Keep(hosts_path); });
  if (!saved) {
    return ErrorReply(saved.error());
  }
  Message reply = Ok().With("changed", saved->changed ? "1" : "0");
  if (saved->history_failure) {
    AddError(reply, *saved->history_failure, "history-");
  }
  return reply;
}

Message Answer(const Message& request, const Place& place) {
  const settings::StateFile state(place.state_path);
  if (request.kind == kReadFirstRun) {
    return Ok().With("value", state.ReadFirstRun());
  }
  if (request.kind == kCheckPassword) {
    auto refused = RefusedPassword(request, state, place);
    if (refused && refused->code != rir::ErrorCode::kWrongPassword) {
      return ErrorReply(*refused);
    }
    return Ok().With("matches", refused ? "0" : "1");
  }
  if (request.kind != kSaveHosts && request.kind != kWriteFirstRun &&
      request.kind != kStorePassword) {
    return ErrorReply(Refused("it does not know the request \"" + request.kind + "\""));
  }
  if (auto refused = RefusedPassword(request, state, place)) {
    return ErrorReply(*refused);
  }
  if (request.kind == kSaveHosts) {
    return SaveHosts(request, place);
  }
  const bool first_run = request.kind == kWriteFirstRun;
  auto value = Needed(request, first_run ? "value" : "new-password");
  if (!value) {
    return ErrorReply(value.error());
  }
  // The state file's writer refuses a text that would write lines of its own.
  auto written = first_run ? state.WriteFirstRun(**value) : state.StorePassword(**value);
  return written ? Ok() : ErrorReply(written.error());
}

}  // namespace

Message Serve(std::string_view request, const Place& place) {
  auto message = Decode(request);
  if (!message) {
    return ErrorReply(message.error());
  }
  return Answer(*message, place);
}

}  // namespace helper
