#include "ui/common/system_files.h"

#include "hostsfile/block_again.h"
#include "lock/system_lock.h"
#include "rir/file_read.h"
#include "schedule/system_schedule.h"
#include "ui/common/program_files.h"

namespace ui {

std::string_view FilesBesideProgram::WaitingText() const {
  return "Reading and writing the system's files...";
}

rir::Result<hostsfile::SaveOutcome> FilesBesideProgram::WriteHosts(
    const std::string& path, std::string_view text, const hostsfile::KeepPreviousText& keep,
    const std::optional<hostsfile::FileStamp>& /*unchanged_since*/) {
  auto folder = DataFolderOfProgram(services_);
  if (!folder) {
    return folder.error();
  }
  // The store looked at the stamp a moment ago, in this process.
  auto saved = lock::SaveRecorded(*folder, path, text, keep, {});
  if (!saved) {
    return saved;
  }
  if (auto places = PolicyPlacesOfProgram(services_)) {
    auto kept = browserpolicy::KeepBrowserPoliciesFor(*places, *folder, text);
    if (!kept.failures.empty()) {
      saved->browser_policy_failure = kept.failures.front();
    }
  }
  return saved;
}

rir::Result<std::optional<hostsfile::FinishedSave>> FilesBesideProgram::FinishSave(
    const std::string& path) {
  return hostsfile::FinishInterruptedSave(path);
}

rir::Result<std::optional<hostsfile::BlockedAgain>> FilesBesideProgram::BlockAgain(
    const std::string& path, const std::vector<std::string>& blocked,
    const hostsfile::KeepPreviousText& keep) {
  return hostsfile::BlockAgainInFile(path, blocked, keep);
}

std::string FilesBesideProgram::ReadFirstRun() {
  const auto state = StateFileBesideProgram(services_);
  return state ? state->ReadFirstRun() : std::string();
}

rir::Result<void> FilesBesideProgram::WriteFirstRun(const std::string& value) {
  const auto state = StateFileBesideProgram(services_);
  if (!state) {
    return state.error();
  }
  return state->WriteFirstRun(value);
}

rir::Result<StoredPassword> FilesBesideProgram::ReadPassword() {
  const auto state = StateFileBesideProgram(services_);
  if (!state) {
    return state.error();
  }
  auto value = state->ReadPassword();
  if (!value) {
    return value.error();
  }
  auto path = state->Path();
  return StoredPassword{std::move(*value), path ? std::move(*path) : std::string()};
}

rir::Result<bool> FilesBesideProgram::PasswordMatches(std::string_view typed,
                                                      const StoredPassword& stored) {
  const auto record = LoginRecordOfProgram(services_);
  if (!record) {
    return record.error();
  }
  return record->Matches(typed, stored.value.value_or(std::string()));
}

rir::Result<void> FilesBesideProgram::StorePassword(std::string_view typed) {
  const auto state = StateFileBesideProgram(services_);
  if (!state) {
    return state.error();
  }
  return state->StorePassword(typed);
}

rir::Result<std::optional<lock::Lock>> FilesBesideProgram::ReadLock(const std::string& path) {
  auto store = LockStoreOfProgram(services_);
  if (!store) {
    return store.error();
  }
  return lock::CurrentLock(*store, path, lock::ReadClocks());
}

rir::Result<lock::Lock> FilesBesideProgram::StartLock(const std::string& path, std::int64_t length,
                                                      bool count_only_on) {
  auto store = LockStoreOfProgram(services_);
  if (!store) {
    return store.error();
  }
  return lock::StartLock(*store, path, length, count_only_on, lock::ReadClocks());
}

rir::Result<void> FilesBesideProgram::ChooseBrowserSettings(const std::string& path,
                                                            bool leave_alone) {
  auto folder = DataFolderOfProgram(services_);
  auto places = PolicyPlacesOfProgram(services_);
  if (!folder || !places) {
    return !folder ? folder.error() : places.error();
  }
  auto kept = browserpolicy::ChooseLeaveAlone(*places, *folder, path, leave_alone);
  if (!kept) {
    return kept.error();
  }
  if (!kept->failures.empty()) {
    return kept->failures.front();
  }
  return {};
}

rir::Result<schedule::ScheduleRecord> FilesBesideProgram::ReadSchedule(
    const std::string& /*path*/) {
  auto folder = DataFolderOfProgram(services_);
  if (!folder) {
    return folder.error();
  }
  return schedule::ReadRecord(*folder);
}

rir::Result<void> FilesBesideProgram::SaveSchedule(const std::string& path,
                                                   const schedule::ScheduleRecord& record) {
  auto folder = DataFolderOfProgram(services_);
  if (!folder) {
    return folder.error();
  }
  return schedule::SaveRecord(*folder, path, record);
}

}  // namespace ui
