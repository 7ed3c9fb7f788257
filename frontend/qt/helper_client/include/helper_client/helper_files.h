// The hosts file and the state file as the Linux program reaches them when it runs as the
// desktop user: each change, and each check of the password, is a request to
// rir-avadera-helper, started through pkexec as root.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "helper/protocol.h"
#include "ui/common/system_files.h"

namespace helper_client {

// pkexec and the helper beside the program in `folder`. pkexec's own agent on the terminal is
// left out: the program has no terminal to ask on, and the desktop's agent asks where one must.
std::vector<std::string> PkexecCommand(const std::string& folder);

// How long the program waits for the helper's answer, the system's password prompt included.
inline constexpr std::chrono::seconds kMostHelperWait{120};

class HelperFiles final : public ui::SystemFiles {
 public:
  // `command` starts the helper; `state_path` is the state file it reads, for messages.
  HelperFiles(std::vector<std::string> command, std::string state_path,
              std::chrono::milliseconds most_wait = kMostHelperWait)
      : command_(std::move(command)), state_path_(std::move(state_path)), most_wait_(most_wait) {}

  std::string_view WaitingText() const override;
  rir::Result<hostsfile::SaveOutcome> WriteHosts(
      const std::string& path, std::string_view text, const hostsfile::KeepPreviousText& keep,
      const std::optional<hostsfile::FileStamp>& unchanged_since) override;
  rir::Result<std::optional<hostsfile::FinishedSave>> FinishSave(const std::string& path) override;
  rir::Result<std::optional<hostsfile::BlockedAgain>> BlockAgain(
      const std::string& path, const std::vector<std::string>& blocked,
      const hostsfile::KeepPreviousText& keep) override;
  std::string ReadFirstRun() override;
  rir::Result<void> WriteFirstRun(const std::string& value) override;
  rir::Result<ui::StoredPassword> ReadPassword() override;
  rir::Result<bool> PasswordMatches(std::string_view typed,
                                    const ui::StoredPassword& stored) override;
  rir::Result<void> StorePassword(std::string_view typed) override;
  rir::Result<std::optional<lock::Lock>> ReadLock(const std::string& path) override;
  rir::Result<lock::Lock> StartLock(const std::string& path, std::int64_t length,
                                    bool count_only_on) override;
  rir::Result<void> ChooseBrowserSettings(const std::string& path, bool leave_alone) override;
  rir::Result<schedule::ScheduleRecord> ReadSchedule(const std::string& path) override;
  rir::Result<void> SaveSchedule(const std::string& path,
                                 const schedule::ScheduleRecord& record) override;

 private:
  // The helper's "ok" reply, or the error it gave or that kept it from giving one; `last` is sent
  // after the request's own fields, without a copy.
  rir::Result<helper::Message> Ask(const helper::Message& request, std::string_view last_name = {},
                                   std::string_view last = {}) const;

  std::vector<std::string> command_;
  std::string state_path_;
  std::chrono::milliseconds most_wait_;
  // What the user last logged in with or stored, sent with every change: the helper checks it
  // each time. Empty until then, which opens only while no password is stored.
  std::string password_;
};

}  // namespace helper_client
