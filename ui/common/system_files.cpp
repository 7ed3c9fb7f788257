#include "ui/common/system_files.h"

#include "settings/password.h"
#include "ui/common/program_files.h"

namespace ui {

rir::Result<blocklist::SaveOutcome> FilesBesideProgram::WriteHosts(
    const std::string& path, std::string_view text, const blocklist::KeepPreviousText& keep) {
  return blocklist::ReplaceHostsFile(path, text, keep);
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
  return settings::PasswordMatches(typed, stored.value.value_or(std::string()));
}

rir::Result<void> FilesBesideProgram::StorePassword(std::string_view typed) {
  const auto state = StateFileBesideProgram(services_);
  if (!state) {
    return state.error();
  }
  return state->StorePassword(typed);
}

}  // namespace ui
