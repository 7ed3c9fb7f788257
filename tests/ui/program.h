// One run of the program over fakes, with a real hosts file and a real state file in a
// temporary folder that stands for the executable's folder.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/start_up.h"
#include "fakes.h"
#include "temp_folder.h"
#include "ui/lock/lock_form.h"

namespace fakes {

struct Program {
  testsupport::TempFolder folder;
  std::string hosts_path = folder.File("hosts");
  std::string state_path = folder.File("state.dll");
  Log log;
  FakeServices services{log, folder.path().string()};
  FakeViewFactory views{log};
  std::optional<app::Application> application;

  void WriteHosts(std::string_view text) const { testsupport::WriteFinished(hosts_path, text); }
  std::string Hosts() const { return testsupport::ReadBytes(hosts_path); }
  void WriteState(std::string_view text) const { testsupport::WriteBytes(state_path, text); }
  std::string State() const { return testsupport::ReadBytes(state_path); }

  // Creates the program and runs its start-up, with the hosts file at `hosts` (ours by default).
  app::Application& Start(std::optional<std::string> hosts = std::nullopt) {
    application.emplace(views, services, hostsfile::HostsStore(hosts.value_or(hosts_path)));
    modGetSystemPath::Main(*application);
    return *application;
  }
  // Start-up that leaves the main window on screen, as a first run does.
  app::Application& StartOnScreen() {
    WriteState("[settings]\r\nfirstrun=true\r\n");
    return Start();
  }

  app::Application& app() { return *application; }
  ui::frmRirAvadera& Main() { return application->Main(); }
  bool Loaded(ui::FormId id) const { return application->IsLoaded(id); }
  FakeMainView& main_view() { return *views.main; }

  // The user types into the entry box.
  void TypeWebsite(const std::string& text) {
    main_view().website = text;
    Main().txtWebsite_Change();
  }
  void AddWebsite(const std::string& text) {
    TypeWebsite(text);
    Main().cmdAddEntry_Click();
  }
  // The user types into the lock window's length box, which must be open.
  void TypeLength(const std::string& text) {
    views.lock->length = text;
    app().Lock().txtLength_Change();
  }
  // Edit, "Lock Blocks...": `length` typed, Lock, and the question answered Yes.
  void Lock(const std::string& length) {
    views.lock_user = [this, length](ui::frmLock& form) {
      TypeLength(length);
      services.answers.push_back(ui::MsgBoxResult::kYes);
      form.cmdLock_Click();
    };
    Main().mmuLock_Click();
  }
  // The user double-clicks the tray icon and types `password` and Enter.
  void LogIn(const std::string& password) {
    Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
    views.login->password = password;
    app().Login().txtPassword_KeyDown(ui::kKeyEnter, 0);
  }
  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  std::size_t BoxesWith(std::string_view text) const {
    return static_cast<std::size_t>(std::count_if(
        services.boxes.begin(), services.boxes.end(),
        [&](const ShownBox& box) { return box.text.find(text) != std::string::npos; }));
  }
};

}  // namespace fakes
