// One run of the Linux program in this process: its real Qt windows and services, with the
// message boxes answered by the test, and its hosts and state files in a temporary folder.
#pragma once

#include <QAbstractItemModel>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "answered_boxes.h"
#include "app/application.h"
#include "services.h"
#include "temp_folder.h"
#include "view_factory.h"

namespace qttest {

class QtProgram : public testsupport::AnsweredBoxes {
 public:
  // `notification_area`: whether the desktop offers one (the offscreen platform has none).
  explicit QtProgram(bool notification_area = true);
  ~QtProgram();

  testsupport::TempFolder folder;
  std::string hosts_path = folder.File("hosts");
  std::string state_path = folder.File("state.dll");

  void WriteHosts(std::string_view text) const { testsupport::WriteBytes(hosts_path, text); }
  std::string Hosts() const { return testsupport::ReadBytes(hosts_path); }

  // Runs the start-up: on screen on a first run, in the tray otherwise.
  app::Application& Start(bool first_run);
  app::Application& app() { return *application_; }
  qtfront::QtServices& services() { return *services_; }

  QWidget* Main();
  QWidget* Login();     // null while the login window is not loaded
  QWidget* Password();  // null while the password window is not loaded

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
  // Runs `action` once the events queued before it have been handled: a modal window that opens
  // in between handles it in its own loop.
  void Later(std::function<void()> action);

  // Runs `act` in the list chooser once it is open; a chooser that `act` leaves open is a
  // failure, and is cancelled so that the test goes on.
  void InChooser(std::function<void(QWidget& chooser)> act);
  // The rows of the chooser's list, each column's text joined by TABs.
  std::vector<std::string> ChooserRows(QWidget& chooser);

  void Type(QWidget* window, const char* box, const QString& text);
  void PressEnter(QWidget* window, const char* control);
  void Click(QWidget* window, const char* button);
  void ClickPicture(const char* picture);
  void Menu(const char* item);
  void DoubleClickTray();

  // The rows of the list as it shows them: website, a TAB, status.
  std::vector<std::string> Rows();
  int SelectedRow();

 private:
  QWidget* WindowOf(ui::FormId id);

  std::optional<qtfront::QtServices> services_;
  std::optional<qtfront::QtViewFactory> views_;
  std::optional<app::Application> application_;
};

}  // namespace qttest
