#include "helper/serve.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "hostsfile/block_again.h"
#include "hostsfile/hosts_history.h"
#include "hostsfile/hosts_store.h"
#include "rir/file_read.h"
#include "rir/path.h"
#include "rir/posix_file.h"
#include "settings/login_record.h"
#include "settings/state_file.h"

namespace helper {

namespace {

rir::Error Refused(std::string reason) {
  return rir::Error{rir::ErrorCode::kBadRequest, "rir-avadera-helper", std::move(reason)};
}

Message Ok() {
  return Message{std::string(kOk), {}};
}

// Held while a request finishes or makes a save of the hosts file, so that one helper never
// takes another's save under way for one that did not live to finish. Only file work holds it,
// never the read of a request, and a helper that dies lets it go.
rir::Result<rir::FileDescriptor> LockSaves(const Place& place) {
  const std::string path = place.SaveLockPath();
  rir::FileDescriptor lock(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR));
  if (!lock.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kLock, path);
  }
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      return rir::SystemFailure(rir::ErrorCode::kLock, path);
    }
  }
  return lock;
}

rir::Result<std::optional<hostsfile::FinishedSave>> FinishLocked(const Place& place) {
  auto lock = LockSaves(place);
  if (!lock) {
    return lock.error();
  }
  return hostsfile::FinishInterruptedSave(place.hosts_path);
}

// The program names the file it loaded; writing what it built from another file over this one
// would drop this one's lines.
rir::Result<void> CheckHostsPath(const std::string& path, const Place& place) {
  if (path != place.hosts_path) {
    return Refused("it writes " + place.hosts_path + " only, not " + path);
  }
  return {};
}

// Nothing when `typed` is the stored password; else why it is refused. With no password stored,
// the empty one opens, as the program's login does; who may then ask at all is for the system's
// policy to say.
std::optional<rir::Error> RefusedPassword(const std::string& typed, const Place& place) {
  auto stored = settings::StateFile(place.state_path).ReadPassword();
  if (!stored) {
    return stored.error();
  }
  auto matches = settings::LoginRecord(place.LoginRecordPath()).Matches(typed, *stored);
  if (!matches) {
    rir::Error failure = matches.error();
    if (failure.code == rir::ErrorCode::kDamagedPasswordHash) {
      failure.path = place.state_path;
    }
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
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    return rir::Error{rir::ErrorCode::kUtf16Text, path, {}};
  }
  return std::nullopt;
}

// The reply to a save: whether the file changed and why its earlier text could not be kept; after a
// change, the caches are emptied as root, where the desktop user's request would be refused (nscd;
// systemd-resolved under some policies).
Message SavedReply(const hostsfile::SaveOutcome& saved, const Place& place) {
  Message reply = Ok().With("changed", saved.changed ? "1" : "0");
  if (saved.history_failure) {
    AddError(reply, *saved.history_failure, "history-");
  }
  if (saved.changed) {
    reply.With("flushed", "1");
    if (const auto failures = hostsfile::FlushResolverCaches(place.caches); !failures.empty()) {
      AddError(reply, failures.front(), "flush-");
    }
  }
  return reply;
}

Message SaveHosts(RequestReader& request, const Place& place) {
  auto path = request.Field("path", kMostFieldBytes);
  if (!path) {
    return ErrorReply(path.error());
  }
  if (auto checked = CheckHostsPath(*path, place); !checked) {
    return ErrorReply(checked.error());
  }
  auto stamp_text = request.Field("stamp", kMostFieldBytes);
  if (!stamp_text) {
    return ErrorReply(stamp_text.error());
  }
  auto stamp = DecodeStamp(*stamp_text);
  if (!stamp) {
    return ErrorReply(stamp.error());
  }
  auto text = request.Field("text", rir::kMostFileBytes);
  if (!text) {
    return ErrorReply(text.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  if (auto refused = RefusedHostsText(*text, place.hosts_path)) {
    return ErrorReply(*refused);
  }
  auto lock = LockSaves(place);
  if (!lock) {
    return ErrorReply(lock.error());
  }
  if (auto finished = hostsfile::FinishInterruptedSave(place.hosts_path); !finished) {
    return ErrorReply(finished.error());
  }
  // The program looked before it asked; another program may have written since.
  if (*stamp) {
    auto now = hostsfile::StampOf(place.hosts_path);
    if (!now) {
      return ErrorReply(now.error());
    }
    if (hostsfile::ChangedSinceLoad(*now, **stamp)) {
      return ErrorReply(rir::Error{rir::ErrorCode::kChangedSinceLoad, place.hosts_path, {}});
    }
  }
  const hostsfile::HostsHistory history(place.HistoryFolder());
  auto saved = hostsfile::ReplaceHostsFile(
      place.hosts_path, *text,
      [&history](const std::string& hosts_path) { return history.Keep(hosts_path); });
  if (!saved) {
    return ErrorReply(saved.error());
  }
  Message reply = SavedReply(*saved, place);
  // What the password applied: a request without it may put these blocks back, no others.
  std::string names;
  for (const std::string& name : hostsfile::BlockedNames(*text)) {
    names += name + "\n";
  }
  if (auto recorded = rir::ReplaceFileByRename(place.BlockedRecordPath(), names, S_IRUSR | S_IWUSR);
      !recorded) {
    AddError(reply, recorded.error(), "record-");
  }
  return reply;
}

// A request that names only the hosts file: the error reply when the path is not the system's
// hosts file or more follows it; nothing when it may be served.
std::optional<Message> RefusedPathRequest(RequestReader& request, const Place& place) {
  auto path = request.Field("path", kMostFieldBytes);
  if (!path) {
    return ErrorReply(path.error());
  }
  if (auto checked = CheckHostsPath(*path, place); !checked) {
    return ErrorReply(checked.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  return std::nullopt;
}

// Puts back the blocks that the record of the last save with the password holds; it needs no
// password, and can do nothing else.
Message BlockAgain(RequestReader& request, const Place& place) {
  if (auto refused = RefusedPathRequest(request, place)) {
    return *refused;
  }
  auto record = rir::ReadSmallFile(place.BlockedRecordPath());
  if (!record) {
    return ErrorReply(record.error());
  }
  std::vector<std::string> blocked;
  const std::string names = record->value_or(std::string());
  for (std::string_view rest = names; !rest.empty();) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (end > 0) {
      blocked.emplace_back(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  auto lock = LockSaves(place);
  if (!lock) {
    return ErrorReply(lock.error());
  }
  const hostsfile::HostsHistory history(place.HistoryFolder());
  auto again = hostsfile::BlockAgainInFile(
      place.hosts_path, blocked,
      [&history](const std::string& hosts_path) { return history.Keep(hosts_path); });
  if (!again) {
    return ErrorReply(again.error());
  }
  if (!*again) {
    return Ok().With("changed", "0");
  }
  Message reply = SavedReply((*again)->saved, place);
  reply.With("removed", std::to_string((*again)->removed))
      .With("allowed", std::to_string((*again)->allowed))
      .With("partial", std::to_string((*again)->partial));
  return reply;
}

// Finishing needs no password: it only completes a save that someone with it started.
Message FinishSave(RequestReader& request, const Place& place) {
  if (auto refused = RefusedPathRequest(request, place)) {
    return *refused;
  }
  auto finished = FinishLocked(place);
  if (!finished) {
    return ErrorReply(finished.error());
  }
  Message reply = Ok();
  if (*finished) {
    reply.With("journal", (*finished)->journal).With("bytes", std::to_string((*finished)->bytes));
  }
  return reply;
}

Message StateValue(RequestReader& request, const Place& place, bool first_run) {
  auto value = request.Field(first_run ? "value" : "new-password", kMostFieldBytes);
  if (!value) {
    return ErrorReply(value.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  // The state file's writer refuses a text that would write lines of its own.
  const settings::StateFile state(place.state_path);
  auto written = first_run ? state.WriteFirstRun(*value) : state.StorePassword(*value);
  return written ? Ok() : ErrorReply(written.error());
}

bool NeedsPassword(std::string_view kind) {
  return kind == kSaveHosts || kind == kWriteFirstRun || kind == kCheckPassword ||
         kind == kStorePassword;
}

}  // namespace

std::string Place::HistoryFolder() const {
  return rir::FileInFolder(data_folder, "history");
}

std::string Place::LoginRecordPath() const {
  return settings::LoginRecordPathIn(data_folder);
}

std::string Place::BlockedRecordPath() const {
  return rir::FileInFolder(data_folder, "blocked-entries");
}

std::string Place::SaveLockPath() const {
  return rir::FileInFolder(data_folder, "hosts.lock");
}

Message Serve(RequestReader& request, const Place& place) {
  auto kind = request.Kind();
  if (!kind) {
    return ErrorReply(kind.error());
  }
  if (*kind == kFinishSave) {
    return FinishSave(request, place);
  }
  // Whatever is asked, a save that did not live to finish is finished first, so that it never
  // waits for someone who may finish it: the desktop user may not. Its failure is told by the
  // requests it concerns.
  static_cast<void>(FinishLocked(place));
  if (*kind == kBlockAgain) {
    return BlockAgain(request, place);
  }
  if (*kind == kReadFirstRun) {
    if (auto ended = request.End(); !ended) {
      return ErrorReply(ended.error());
    }
    return Ok().With("value", settings::StateFile(place.state_path).ReadFirstRun());
  }
  if (!NeedsPassword(*kind)) {
    return ErrorReply(Refused("it does not know the request \"" + *kind + "\""));
  }
  auto password = request.Field("password", kMostFieldBytes);
  if (!password) {
    return ErrorReply(password.error());
  }
  if (*kind == kCheckPassword) {
    if (auto ended = request.End(); !ended) {
      return ErrorReply(ended.error());
    }
  }
  const auto refused = RefusedPassword(*password, place);
  if (*kind == kCheckPassword) {
    if (refused && refused->code != rir::ErrorCode::kWrongPassword) {
      return ErrorReply(*refused);
    }
    return Ok().With("matches", refused ? "0" : "1");
  }
  if (refused) {
    return ErrorReply(*refused);
  }
  if (*kind == kSaveHosts) {
    return SaveHosts(request, place);
  }
  return StateValue(request, place, *kind == kWriteFirstRun);
}

Message Serve(std::string_view request, const Place& place) {
  RequestReader reader = RequestReader::Of(request);
  return Serve(reader, place);
}

}  // namespace helper
