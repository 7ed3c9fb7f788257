#include "app/application.h"

#include <utility>

#include "ui/common/program_files.h"
#include "ui/common/waiting.h"
#include "ui/login/open_login.h"

namespace app {

Application::Application(ViewFactory& views, ui::PlatformServices& services,
                         hostsfile::HostsStore hosts)
    : views_(views), services_(services), hosts_(std::move(hosts)) {}

Application::~Application() = default;

template <class S, class MakeView, class MakeForm>
auto& Application::Touch(S& slot, MakeView make_view, MakeForm make_form) {
  if (!slot.form) {
    slot.retired_form.reset();
    slot.retired_view.reset();
    slot.view = make_view();
    slot.form = make_form(*slot.view);
    // Loaded from here on, also while its load handler runs.
    if constexpr (requires { slot.form->Form_Load(); }) {
      slot.form->Form_Load();
    }
  }
  return *slot.form;
}

template <class S>
void Application::UnloadSlot(S& slot, ui::UnloadMode mode) {
  if (!slot.form || slot.closing) {
    return;
  }
  slot.closing = true;
  bool cancel = false;
  if constexpr (requires { slot.form->Form_QueryUnload(cancel, mode); }) {
    slot.form->Form_QueryUnload(cancel, mode);
  }
  if (cancel) {
    slot.closing = false;
    return;
  }
  if constexpr (requires { slot.form->Form_Unload(); }) {
    slot.form->Form_Unload();
  }
  slot.view->Unload();
  slot.retired_form = std::move(slot.form);
  slot.retired_view = std::move(slot.view);
  slot.closing = false;
  if (!AnyLoaded()) {
    services_.EndProgram();
  }
}

hostsfile::HostsStore Application::KeepingHistory(const ui::FormView& owner) {
  hostsfile::HostsStore hosts = hosts_;
  // Where the history cannot be, each change says why it was not kept, as a failed copy does.
  hosts.KeepPreviousTextWith(
      [history = ui::HostsHistoryOfProgram(services_)](const std::string& hosts_path) {
        return history ? history->Keep(hosts_path) : rir::Result<void>(history.error());
      });
  hosts.WriteWith([this, &owner](const std::string& path, std::string_view text,
                                 const hostsfile::KeepPreviousText& keep,
                                 const std::optional<hostsfile::FileStamp>& unchanged_since) {
    return ui::WhileWaiting(services_, owner, [&] {
      return services_.Files().WriteHosts(path, text, keep, unchanged_since);
    });
  });
  hosts.FinishWith([this, &owner](const std::string& path) {
    return ui::WhileWaiting(services_, owner, [&] { return services_.Files().FinishSave(path); });
  });
  return hosts;
}

ui::frmRirAvadera& Application::Main() {
  return Touch(
      main_, [this] { return views_.CreateMainView(*this); },
      [this](ui::MainView& view) {
        return std::make_unique<ui::frmRirAvadera>(view, *this, services_, KeepingHistory(view),
                                                   ui::HostsHistoryOfProgram(services_));
      });
}

ui::frmLogin& Application::Login() {
  return Touch(
      login_, [this] { return views_.CreateLoginView(*this); },
      [this](ui::LoginView& view) {
        return std::make_unique<ui::frmLogin>(view, *this, services_);
      });
}

ui::frmPassword& Application::Password() {
  return Touch(
      password_, [this] { return views_.CreatePasswordView(*this); },
      [this](ui::PasswordView& view) {
        return std::make_unique<ui::frmPassword>(view, *this, services_);
      });
}

ui::frmLock& Application::Lock() {
  return Touch(
      lock_, [this] { return views_.CreateLockView(*this); },
      [this](ui::LockView& view) { return std::make_unique<ui::frmLock>(view, *this, services_); });
}

ui::frmSchedule& Application::Schedule() {
  return Touch(
      schedule_, [this] { return views_.CreateScheduleView(*this); },
      [this](ui::ScheduleView& view) {
        return std::make_unique<ui::frmSchedule>(view, *this, services_);
      });
}

bool Application::IsLoaded(ui::FormId id) const {
  switch (id) {
    case ui::FormId::kMain:
      return main_.form != nullptr;
    case ui::FormId::kLogin:
      return login_.form != nullptr;
    case ui::FormId::kPassword:
      return password_.form != nullptr;
    case ui::FormId::kLock:
      return lock_.form != nullptr;
    case ui::FormId::kSchedule:
      return schedule_.form != nullptr;
  }
  return false;
}

bool Application::AnyLoaded() const {
  return IsLoaded(ui::FormId::kMain) || IsLoaded(ui::FormId::kLogin) ||
         IsLoaded(ui::FormId::kPassword) || IsLoaded(ui::FormId::kLock) ||
         IsLoaded(ui::FormId::kSchedule);
}

void Application::Unload(ui::FormId id, ui::UnloadMode mode) {
  switch (id) {
    case ui::FormId::kMain:
      return UnloadSlot(main_, mode);
    case ui::FormId::kLogin:
      return UnloadSlot(login_, mode);
    case ui::FormId::kPassword:
      return UnloadSlot(password_, mode);
    case ui::FormId::kLock:
      return UnloadSlot(lock_, mode);
    case ui::FormId::kSchedule:
      return UnloadSlot(schedule_, mode);
  }
}

void Application::ShowPasswordModal() {
  Password();
  // The view outlives its unload, which ends the modal loop, until the next load.
  ui::PasswordView& view = *password_.view;
  view.ShowModal();
}

void Application::ShowLockModal() {
  Lock();
  // As the password window's: the view outlives the unload that ends its modal loop.
  ui::LockView& view = *lock_.view;
  view.ShowModal();
}

void Application::ShowScheduleModal() {
  Schedule();
  // As the lock window's: the view outlives the unload that ends its modal loop.
  ui::ScheduleView& view = *schedule_.view;
  view.ShowModal();
}

void Application::EndSession() {
  Unload(ui::FormId::kMain, ui::UnloadMode::kSessionEnding);
  // Left loaded only when the main window was not.
  Unload(ui::FormId::kLogin, ui::UnloadMode::kSessionEnding);
  Unload(ui::FormId::kPassword, ui::UnloadMode::kSessionEnding);
  Unload(ui::FormId::kLock, ui::UnloadMode::kSessionEnding);
  Unload(ui::FormId::kSchedule, ui::UnloadMode::kSessionEnding);
}

void Application::AnotherCopyStarted() {
  ui::OpenLoginWindow(*this, services_);
}

}  // namespace app
