#include "helper/serve.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <optional>
#include <thread>

#include "block_record.h"
#include "browserpolicy/browser_policies.h"
#include "hostsfile/block_again.h"
#include "hostsfile/hosts_history.h"
#include "hostsfile/hosts_store.h"
#include "lock/system_lock.h"
#include "rir/file_read.h"
#include "rir/path.h"
#include "rir/posix_file.h"
#include "schedule/system_schedule.h"
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
// never the read of a request, and a helper that dies lets it go. Waited for a few seconds at
// most: no request, however many come at once, keeps the owner's out for long.
rir::Result<rir::FileDescriptor> LockSaves(const Place& place) {
  constexpr auto kMostWait = std::chrono::seconds(5);
  const std::string path = place.SaveLockPath();
  rir::FileDescriptor lock(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR));
  if (!lock.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kLock, path);
  }
  const auto give_up = std::chrono::steady_clock::now() + kMostWait;
  while (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return rir::SystemFailure(rir::ErrorCode::kLock, path);
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      return rir::Error{rir::ErrorCode::kBusy, "rir-avadera-helper",
                        "another request is running; try again in a moment"};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return lock;
}

hostsfile::KeepPreviousText KeepIn(const hostsfile::HostsHistory& history) {
  return [&history](const std::string& hosts_path) { return history.Keep(hosts_path); };
}

// Under the save lock: a rewrite cut short is finished (or dropped, when another program wrote
// the file since, its text kept in the history), and the record of the blocks settled with it.
rir::Result<std::optional<hostsfile::FinishedSave>> SettleLocked(const Place& place) {
  const hostsfile::HostsHistory history(place.HistoryFolder());
  auto finished = hostsfile::FinishInterruptedSave(place.hosts_path, KeepIn(history));
  if (!finished) {
    return finished.error();
  }
  const BlockRecord record(place.BlockedRecordPath());
  record.RemoveHalfMade();
  if (record.HasPending()) {
    auto now = hostsfile::StampOf(place.hosts_path);
    if (!now) {
      return now.error();
    }
    const bool was_finished = finished->has_value();
    const bool dropped = was_finished && (*finished)->dropped;
    if (auto settled = record.Settle(*now, was_finished, dropped); !settled) {
      return settled.error();
    }
  }
  return finished;
}

rir::Result<std::optional<hostsfile::FinishedSave>> FinishLocked(const Place& place) {
  auto lock = LockSaves(place);
  if (!lock) {
    return lock.error();
  }
  return SettleLocked(place);
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

Message SaveText(const Place& place, std::string_view text,
                 const std::optional<hostsfile::FileStamp>& stamp);

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
  return SaveText(place, *text, *stamp);
}

// Writes `text` over the hosts file, unless it changed since `stamp` (nothing: whatever it
// holds): the history, the record of what it blocks, the lock, the browsers' policies and the
// caches, as every save with the password.
Message SaveText(const Place& place, std::string_view text,
                 const std::optional<hostsfile::FileStamp>& stamp) {
  if (auto refused = RefusedHostsText(text, place.hosts_path)) {
    return ErrorReply(*refused);
  }
  auto lock = LockSaves(place);
  if (!lock) {
    return ErrorReply(lock.error());
  }
  if (auto settled = SettleLocked(place); !settled) {
    return ErrorReply(settled.error());
  }
  // The password does not lift a lock: only its end does.
  const lock::LockStore locks(place.data_folder);
  if (auto allowed = lock::CheckSave(locks, place.hosts_path, text, lock::ReadClocks()); !allowed) {
    return ErrorReply(allowed.error());
  }
  const hostsfile::HostsHistory history(place.HistoryFolder());
  const BlockRecord record(place.BlockedRecordPath());
  // What the password applied: a request without it may put these blocks back, no others. The
  // record is made ready before the file changes and becomes the record once it has.
  std::optional<rir::Error> record_failure;
  bool prepared = false;
  std::optional<hostsfile::FileStamp> renamed;
  const auto prepare = [&](const std::optional<hostsfile::FileStamp>& after) -> rir::Result<void> {
    if (auto ready = record.Prepare(text, after); !ready) {
      record_failure = ready.error();
      // No record puts nothing back; the last one would put back what this save allows.
      return record.Forget();
    }
    prepared = true;
    renamed = after;
    return {};
  };
  // The program looked before it asked; another program may have written since, up to the
  // moment the file changes.
  auto saved = hostsfile::ReplaceHostsFile(place.hosts_path, text, KeepIn(history),
                                           hostsfile::SaveChecks{stamp, prepare});
  if (!saved) {
    if (prepared && saved.error().code != rir::ErrorCode::kLeftPartWritten) {
      static_cast<void>(record.DropPending());  // the file holds its old text
    }
    return ErrorReply(saved.error());
  }
  if (!saved->changed) {
    static_cast<void>(prepare(std::nullopt));  // the file held the text already: it is this save's
  }
  if (prepared) {
    auto now = renamed ? rir::Result<hostsfile::FileStamp>(*renamed)
                       : hostsfile::StampOf(place.hosts_path);
    auto committed = now ? record.Commit(*now) : rir::Result<void>(now.error());
    if (!committed) {
      record_failure = committed.error();
      static_cast<void>(record.Forget());
    }
  }
  // What this save blocks is locked too, while a lock is on; a failure loosens nothing.
  static_cast<void>(lock::AfterSave(locks, text, lock::ReadClocks()));
  Message reply = SavedReply(*saved, place);
  if (record_failure) {
    AddError(reply, *record_failure, "record-");
  }
  if (place.policies) {
    const auto kept =
        browserpolicy::KeepBrowserPoliciesFor(*place.policies, place.data_folder, text);
    if (!kept.failures.empty()) {
      AddError(reply, kept.failures.front(), "policy-");
    }
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
// password, and can do nothing else. A file as the last look or save left it costs a look at its
// stamp and the record's first lines, no more.
Message BlockAgain(RequestReader& request, const Place& place) {
  if (auto refused = RefusedPathRequest(request, place)) {
    return *refused;
  }
  auto again = PutBlocksBack(place);
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
    if ((*finished)->dropped) {
      reply.With("dropped", "1");
    }
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
         kind == kStorePassword || kind == kStartLock || kind == kBrowserChoice ||
         kind == kSaveSchedule;
}

// Whether the browsers' policies are left alone; either way they are brought in line with what
// the hosts file blocks now. The request names no file: the policies' places are the helper's.
Message BrowserChoice(RequestReader& request, const Place& place) {
  auto leave = request.Field("leave-alone", kMostFieldBytes);
  if (!leave) {
    return ErrorReply(leave.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  if (*leave != "0" && *leave != "1") {
    return ErrorReply(Refused("leave-alone is 0 or 1"));
  }
  if (!place.policies) {
    return Ok();
  }
  auto saves = LockSaves(place);
  if (!saves) {
    return ErrorReply(saves.error());
  }
  auto kept = browserpolicy::ChooseLeaveAlone(*place.policies, place.data_folder, place.hosts_path,
                                              *leave == "1");
  if (!kept) {
    return ErrorReply(kept.error());
  }
  Message reply = Ok();
  if (!kept->failures.empty()) {
    AddError(reply, kept->failures.front(), "policy-");
  }
  return reply;
}

Message LockReply(const std::optional<lock::Lock>& on) {
  Message reply = Ok();
  if (on) {
    reply.With("times", lock::EncodeTimes(on->times))
        .With("names", lock::EncodeNames(on->names))
        .With("recovered", on->recovered ? "1" : "0");
  }
  return reply;
}

// Reading the lock needs no password: it tells, and checkpoints its time.
Message ReadLock(RequestReader& request, const Place& place) {
  if (auto refused = RefusedPathRequest(request, place)) {
    return *refused;
  }
  auto saves = LockSaves(place);
  if (!saves) {
    return ErrorReply(saves.error());
  }
  auto on =
      lock::CurrentLock(lock::LockStore(place.data_folder), place.hosts_path, lock::ReadClocks());
  return on ? LockReply(*on) : ErrorReply(on.error());
}

// Reading the schedule needs no password: the window tells which entries it covers.
Message ReadSchedule(RequestReader& request, const Place& place) {
  if (auto refused = RefusedPathRequest(request, place)) {
    return *refused;
  }
  auto record = schedule::ReadRecord(place.data_folder);
  if (!record) {
    return ErrorReply(record.error());
  }
  return Ok().With("schedule", schedule::EncodeSchedule(record->schedule, record->names));
}

// Under the save lock, so that the keeper never switches the file by a record half changed.
Message SaveSchedule(RequestReader& request, const Place& place) {
  auto path = request.Field("path", kMostFieldBytes);
  auto text = path ? request.Field("schedule", rir::kMostFileBytes) : path;
  if (!text) {
    return ErrorReply(text.error());
  }
  if (auto checked = CheckHostsPath(*path, place); !checked) {
    return ErrorReply(checked.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  auto record = schedule::DecodeSchedule(*text, "the request");
  if (!record) {
    return ErrorReply(record.error());
  }
  auto saves = LockSaves(place);
  if (!saves) {
    return ErrorReply(saves.error());
  }
  auto saved = schedule::SaveRecord(place.data_folder, place.hosts_path, *record);
  return saved ? Ok() : ErrorReply(saved.error());
}

Message StartLock(RequestReader& request, const Place& place) {
  auto path = request.Field("path", kMostFieldBytes);
  auto length = path ? request.Field("length", kMostFieldBytes) : path;
  auto only_on = length ? request.Field("only-on", kMostFieldBytes) : length;
  if (!only_on) {
    return ErrorReply(only_on.error());
  }
  if (auto checked = CheckHostsPath(*path, place); !checked) {
    return ErrorReply(checked.error());
  }
  if (auto ended = request.End(); !ended) {
    return ErrorReply(ended.error());
  }
  std::int64_t seconds = 0;
  const auto [end, failure] =
      std::from_chars(length->data(), length->data() + length->size(), seconds);
  if (failure != std::errc() || end != length->data() + length->size() || seconds <= 0 ||
      seconds > lock::kLongestLockSeconds || (*only_on != "0" && *only_on != "1")) {
    return ErrorReply(Refused("a lock lasts from one second to 30 days"));
  }
  auto saves = LockSaves(place);
  if (!saves) {
    return ErrorReply(saves.error());
  }
  auto locked = lock::StartLock(lock::LockStore(place.data_folder), place.hosts_path, seconds,
                                *only_on == "1", lock::ReadClocks());
  return locked ? LockReply(std::optional<lock::Lock>(*locked)) : ErrorReply(locked.error());
}

}  // namespace

rir::Result<std::optional<hostsfile::BlockedAgain>> PutBlocksBack(const Place& place) {
  const BlockRecord record(place.BlockedRecordPath());
  auto stamps = record.ReadStamps();
  auto now = hostsfile::StampOf(place.hosts_path);
  if (!stamps || !now) {
    return !stamps ? stamps.error() : now.error();
  }
  if (record.HasPending()) {
    return rir::Error{rir::ErrorCode::kBusy, "rir-avadera-helper",
                      "a save is under way; try again in a moment"};
  }
  const lock::LockStore locks(place.data_folder);
  const bool locked = lock::LockStore::Exists(place.data_folder);
  // No record and no lock: no save with the password has blocked anything yet.
  if ((!*stamps && !locked) ||
      (*stamps && ((*stamps)->saved == *now || (*stamps)->looked == *now))) {
    return std::optional<hostsfile::BlockedAgain>();
  }
  auto saves = LockSaves(place);
  if (!saves) {
    return saves.error();
  }
  std::vector<std::string> blocked;
  if (*stamps) {
    auto recorded = record.Names();
    if (!recorded) {
      return recorded.error();
    }
    blocked = std::move(*recorded);
  }
  // And every locked block, whatever the last save left.
  if (auto on = lock::CurrentLock(locks, place.hosts_path, lock::ReadClocks()); on && *on) {
    blocked.insert(blocked.end(), (*on)->names.begin(), (*on)->names.end());
  }
  const hostsfile::HostsHistory history(place.HistoryFolder());
  auto again = hostsfile::BlockAgainInFile(place.hosts_path, blocked, KeepIn(history));
  if (!again) {
    return again.error();
  }
  // Whatever the look found, the file as it now stands is known to hold every block.
  if (auto looked = hostsfile::StampOf(place.hosts_path); looked && *stamps) {
    static_cast<void>(record.Looked(*looked, again->has_value()));
  }
  return again;
}

rir::Result<bool> KeepSchedule(const Place& place, std::int64_t utc, const schedule::Zone& zone) {
  auto look = schedule::LookAtSchedule(place.data_folder, place.hosts_path, utc, zone);
  if (!look) {
    return look.error();
  }
  if (!look->text) {
    return false;
  }
  const Message reply = SaveText(place, *look->text, look->stamp);
  if (reply.kind != kOk) {
    return ErrorIn(reply);
  }
  return true;
}

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
  if (hostsfile::HasUnfinishedSave(place.hosts_path) ||
      BlockRecord(place.BlockedRecordPath()).HasPending()) {
    static_cast<void>(FinishLocked(place));
  }
  if (*kind == kBlockAgain) {
    return BlockAgain(request, place);
  }
  if (*kind == kReadLock) {
    return ReadLock(request, place);
  }
  if (*kind == kReadSchedule) {
    return ReadSchedule(request, place);
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
  if (*kind == kStartLock) {
    return StartLock(request, place);
  }
  if (*kind == kBrowserChoice) {
    return BrowserChoice(request, place);
  }
  if (*kind == kSaveSchedule) {
    return SaveSchedule(request, place);
  }
  return StateValue(request, place, *kind == kWriteFirstRun);
}

Message Serve(std::string_view request, const Place& place) {
  RequestReader reader = RequestReader::Of(request);
  return Serve(reader, place);
}

}  // namespace helper
