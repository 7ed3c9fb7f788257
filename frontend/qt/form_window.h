// A top-level window of the program: made hidden and centred with the exact, fixed client size of
// its layout table below an optional menu bar, with the program's icon and the table's font. It
// keeps the window state that the logic reads and tells its owner of close requests and of the user
// minimising it.
#pragma once

#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

#include "ui/common/form_view.h"
#include "ui/common/layout.h"

namespace qtfront {

class FormWindow final : public QWidget {
 public:
  struct Description {
    QString caption;
    QSize client_size;  // at 96 DPI
  };

  // A window in the default font.
  explicit FormWindow(const Description& description);
  // A window of a layout table: its caption, client size and font.
  explicit FormWindow(const ui::layout::FormLayout& layout);

  // Where the controls go: the area below the menu bar.
  QWidget& client() { return client_; }
  // Puts `bar` above the client area; the window grows by the bar's height.
  void SetMenuBar(QMenuBar& bar);

  void OnCloseRequest(std::function<void()> handler) { close_request_ = std::move(handler); }
  // The user minimised the window (the program's own changes are not reported).
  void OnMinimized(std::function<void()> handler) { minimized_ = std::move(handler); }

  ui::WindowState state() const { return state_; }
  void SetState(ui::WindowState state);
  void ShowNow();
  void HideNow();
  // The window and its controls take no more events, and it leaves the screen for good.
  void Unload();
  bool unloaded() const { return unloaded_; }

  // True while the program itself changes the window, or after it unloaded: such changes are
  // not events of the window.
  bool quiet() const { return quiet_ > 0 || unloaded_; }
  class Quietly {
   public:
    explicit Quietly(FormWindow& window) : window_(window) { ++window_.quiet_; }
    Quietly(const Quietly&) = delete;
    Quietly& operator=(const Quietly&) = delete;
    ~Quietly() { --window_.quiet_; }

   private:
    FormWindow& window_;
  };

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // On the screen's work area, as each window is when it is loaded.
  void Centre();

  QVBoxLayout layout_{this};
  QWidget client_;
  std::function<void()> close_request_;
  std::function<void()> minimized_;
  ui::WindowState state_ = ui::WindowState::kNormal;
  int quiet_ = 0;
  bool unloaded_ = false;
};

// The default font of every window, "MS Sans Serif" 8.25 pt, or the system's stand-in for it.
QFont DefaultFont();
// A font of the tables, or the system's stand-in for it.
QFont ProgramFont(const ui::layout::Font& font);
// The program's icon, as every window and the tray show it.
QIcon ProgramIcon();

}  // namespace qtfront
