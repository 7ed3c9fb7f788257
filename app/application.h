// The program's windows and their lifetimes: each exists at most once, is loaded when first
// touched and unloaded on request, and the program ends when the last one has unloaded.
#pragma once

#include <memory>

#include "app/view_factory.h"
#include "hostsfile/hosts_store.h"
#include "ui/common/forms.h"
#include "ui/common/platform_services.h"
#include "ui/lock/lock_form.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "ui/password/password_form.h"
#include "ui/schedule/schedule_form.h"

namespace app {

class Application final : public ui::Forms {
 public:
  // `hosts`: the system's hosts file unless a test names another.
  Application(ViewFactory& views, ui::PlatformServices& services,
              hostsfile::HostsStore hosts = hostsfile::HostsStore());
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application() override;

  ui::frmRirAvadera& Main() override;
  ui::frmLogin& Login() override;
  ui::frmPassword& Password() override;
  ui::frmLock& Lock() override;
  ui::frmSchedule& Schedule() override;
  bool IsLoaded(ui::FormId id) const override;
  void Unload(ui::FormId id, ui::UnloadMode mode = ui::UnloadMode::kFormCode) override;
  void ShowPasswordModal() override;
  void ShowLockModal() override;
  void ShowScheduleModal() override;

  ui::PlatformServices& services() { return services_; }
  bool AnyLoaded() const;

  // The user's session ends: the program ends as Exit ends it, without asking and without
  // refusing.
  void EndSession();
  // Another start of the program found this one running: open the login window, as a
  // double-click on the tray icon does.
  void AnotherCopyStarted();

 private:
  // An unloaded window's view and logic live on until the window is loaded again, so that the
  // handler that unloaded it can return through them.
  template <class Form, class View>
  struct Slot {
    std::unique_ptr<View> view;
    std::unique_ptr<Form> form;  // declared after the view: it goes first
    bool closing = false;
    std::unique_ptr<View> retired_view;
    std::unique_ptr<Form> retired_form;
  };

  template <class S, class MakeView, class MakeForm>
  auto& Touch(S& slot, MakeView make_view, MakeForm make_form);
  template <class S>
  void UnloadSlot(S& slot, ui::UnloadMode mode);
  // The main window's store: the hosts file, whose text goes into the program's history before
  // each change.
  // The hosts file, written and finished through the system files while `owner` waits.
  hostsfile::HostsStore KeepingHistory(const ui::FormView& owner);

  ViewFactory& views_;
  ui::PlatformServices& services_;
  hostsfile::HostsStore hosts_;
  Slot<ui::frmRirAvadera, ui::MainView> main_;
  Slot<ui::frmLogin, ui::LoginView> login_;
  Slot<ui::frmPassword, ui::PasswordView> password_;
  Slot<ui::frmLock, ui::LockView> lock_;
  Slot<ui::frmSchedule, ui::ScheduleView> schedule_;
};

}  // namespace app
