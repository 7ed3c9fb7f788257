// One run of the Linux program in this process: its real Qt windows and services, with the
// message boxes answered by the test, and its hosts and state files in a temporary folder.
#pragma once

#include <QAbstractItemModel>
#include <QWidget>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "program_driver.h"
#include "services.h"
#include "view_factory.h"

namespace qttest {

class QtProgram : public testsupport::ProgramDriver {
 public:
  // `notification_area`: whether the desktop offers one (the offscreen platform has none).
  explicit QtProgram(bool notification_area = true);
  ~QtProgram() override;

  std::string_view LineEnd() const override { return "\n"; }
  std::string Local(std::string_view text) const override { return std::string(text); }

  // Runs the start-up: on screen on a first run, in the tray otherwise.
  app::Application& Start(bool first_run) override;
  app::Application& app() override { return *application_; }
  qtfront::QtServices& services() { return *services_; }

  QWidget* Main();
  QWidget* Login();     // null while the login window is not loaded
  QWidget* Password();  // null while the password window is not loaded
  QWidget* Lock();      // null while the lock window is not loaded
  QWidget* Schedule();  // null while the schedule window is not loaded

  // A control of `window` by its name from the tables; fails the test when it is missing.
  template <class Control>
  Control& Find(QWidget* window, const char* name) {
    Control* control = window ? window->findChild<Control*>(QString::fromLatin1(name)) : nullptr;
    if (!control) {
      throw std::runtime_error(std::string("no control ") + name);
    }
    return *control;
  }

  // Handles the events waiting.
  void Pump();
  void Later(std::function<void()> action) override;
  void InChooser(std::function<void()> act) override;
  void WhenChooserOpens(std::function<void()> act, std::chrono::steady_clock::time_point give_up);
  std::vector<std::string> ChooserColumns() override;
  std::vector<std::string> ChooserRows() override;
  bool ChooserOwnedByMain() override;

  void Type(QWidget* window, const char* box, const QString& text);
  void Menu(const char* item);

  bool Shown(testsupport::Window window) override;
  bool Minimized() override;
  bool TakesInput(testsupport::Window window) override;
  std::string Caption(testsupport::Window window) override;
  void TypeIn(testsupport::Window window, std::string_view control, std::string_view text) override;
  void PressEnterIn(testsupport::Window window, std::string_view control) override;
  void ClickOn(testsupport::Window window, std::string_view control) override;
  std::string TextOf(testsupport::Window window, std::string_view control) override;
  std::string StatusText() override;
  bool Enabled(testsupport::Window window, std::string_view control) override;
  bool Ticked(testsupport::Window window, std::string_view control) override;
  bool ControlShown(testsupport::Window window, std::string_view control) override;
  void Hide(testsupport::Window window, std::string_view control) override;
  void ChooseMenu(std::string_view menu, std::string_view item) override;
  void CloseWithCloseBox(testsupport::Window window) override;
  void ClickTray(testsupport::TrayClick click) override;
  void RunRepeats() override { services_->RunRepeats(); }
  bool HasTrayIcon() override { return services_->tray_icon() != nullptr; }
  std::string TrayTip() override;
  bool ProgramEnded() override { return services_->program_ended(); }
  int RowCount() override;
  std::string Row(int index) override;
  int SelectedRow() override;
  std::vector<int> SelectedRows() override;
  void SelectRows(int first, int last) override;
  void SelectAll() override;
  void PressCtrlF() override;
  void PasteIn(testsupport::Window window, std::string_view control,
               std::string_view text) override;
  bool Focused(testsupport::Window window, std::string_view control) override;
  bool RowInView(int index) override;
  void SelectRow(testsupport::Window window, int index) override;
  void ToggleChooserRow(int index) override;
  std::vector<int> ChooserPicked() override;
  void PlaceUninstaller() override;
  bool UninstallerRan() override;

 private:
  QWidget* WindowOf(ui::FormId id);
  QWidget* WindowOf(testsupport::Window window);
  // A control of the window by its name from the tables; throws when it is missing.
  QWidget& Control(testsupport::Window window, std::string_view name);

  std::optional<qtfront::QtServices> services_;
  std::optional<qtfront::QtViewFactory> views_;
  std::optional<app::Application> application_;
};

}  // namespace qttest
