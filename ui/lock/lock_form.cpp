#include "ui/lock/lock_form.h"

#include <ctime>

#include "lock/lock_length.h"
#include "ui/common/messages.h"
#include "ui/common/waiting.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

std::int64_t WallNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

frmLock::frmLock(LockView& view, Forms& forms, PlatformServices& services)
    : view_(view), forms_(forms), services_(services) {}

void frmLock::Form_Load() {
  const auto on = forms_.Main().Locks().Now();
  view_.SetEndsText(on ? "Locked until " + lock::ShownTime(on->times.EndsAt()) +
                             " now: a new lock may end later, never sooner."
                       : std::string());
}

void frmLock::txtLength_Change() {
  const std::int64_t now = WallNow();
  view_.SetEndsText(LockEndsText(lock::ParseLockLength(view_.LengthText(), now), now));
}

void frmLock::cmdLock_Click() {
  const std::int64_t now = WallNow();
  const auto length = lock::ParseLockLength(view_.LengthText(), now);
  if (!length) {
    // The window stays open for another length.
    ShowMessage(services_, LockEndsText(length, now), MsgBoxIcon::kCritical);
    return;
  }
  const blocklist::BlockList& list = forms_.Main().lvwWebsites();
  bool any_blocked = false;
  for (std::size_t i = 0; i < list.size() && !any_blocked; ++i) {
    any_blocked = list[i].status == blocklist::Status::kBlocked;
  }
  if (!any_blocked) {
    ShowMessage(services_, kNothingToLock);
    return;
  }
  auto path = forms_.Main().HostsPath();
  if (!path) {
    ShowFailure(services_, Failure::kLock, path.error());
    return;
  }
  const bool only_on = view_.CountOnlyOn();
  if (services_.MsgBox(LockQuestion(*length, now, only_on), kApplicationTitle,
                       MsgBoxButtons::kYesNo, MsgBoxIcon::kQuestion) != MsgBoxResult::kYes) {
    return;
  }
  auto locked = WhileWaiting(services_, view_,
                             [&] { return services_.Files().StartLock(*path, *length, only_on); });
  if (!locked) {
    ShowFailure(services_, Failure::kLock, locked.error());
    return;
  }
  if (locked->names.empty()) {
    ShowMessage(services_, kNothingToLock);
  } else {
    ShowMessage(services_, LockedText(*locked));
  }
  forms_.Unload(FormId::kLock);
}

void frmLock::cmdCancel_Click() {
  forms_.Unload(FormId::kLock);
}

}  // namespace ui
