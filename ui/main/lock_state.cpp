#include "ui/main/lock_state.h"

#include <algorithm>

#include "lock/lock_rules.h"
#include "ui/common/messages.h"

namespace ui {

void LockState::Read(const std::string& path) {
  auto read = services_.Files().ReadLock(path);
  if (!read) {
    if (!failure_told_) {
      failure_told_ = true;
      ShowFailure(services_, Failure::kReadLock, read.error());
    }
    return;
  }
  lock_ = std::move(*read);
  if (lock_ && lock_->recovered) {
    ShowMessage(services_, RecoveredLockText(*lock_), MsgBoxIcon::kCritical);
    lock_->recovered = false;
  }
}

void LockState::Applied(std::string_view text) {
  if (lock_) {
    lock_ = lock::LockedAfter(*lock_, text);
  }
}

std::optional<lock::Lock> LockState::Now() const {
  if (!lock_) {
    return std::nullopt;
  }
  lock::Lock now = *lock_;
  now.times = lock::Advance(lock_->times, lock::ReadClocks());
  if (now.times.Ended()) {
    return std::nullopt;
  }
  return now;
}

std::string LockState::Line() const {
  const auto now = Now();
  return now ? LockLine(*now) : std::string();
}

bool LockState::Refuses(const std::vector<std::string>& names) const {
  const auto now = Now();
  if (!now) {
    return false;
  }
  std::vector<std::string> locked;
  std::copy_if(names.begin(), names.end(), std::back_inserter(locked),
               [&](const std::string& name) { return lock::Holds(*now, name); });
  if (locked.empty()) {
    return false;
  }
  ShowMessage(services_, LockRefusedText(*now, locked), MsgBoxIcon::kCritical);
  return true;
}

bool LockState::RefusesText(std::string_view text) const {
  const auto now = Now();
  return now && Refuses(lock::UnlockedBy(*now, text));
}

bool LockState::RefusesUninstall() const {
  const auto now = Now();
  if (!now) {
    return false;
  }
  ShowMessage(services_, LockRefusedText(*now, {}), MsgBoxIcon::kCritical);
  return true;
}

bool LockState::RefusesLeavingBrowsersAlone() const {
  const auto now = Now();
  if (!now || now->names.empty()) {
    return false;
  }
  ShowMessage(services_, BrowsersKeptWhileLockedText(*now), MsgBoxIcon::kCritical);
  return true;
}

}  // namespace ui
