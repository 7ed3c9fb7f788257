// Stand-ins for the front end's views and the platform's services. They keep what the program
// showed and did, in one log in order, and let a test answer message boxes and act as the user.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/view_factory.h"
#include "ui/common/manual_repeats.h"
#include "ui/common/platform_services.h"

namespace fakes {

using Log = std::vector<std::string>;

inline constexpr ui::WindowHandle kMainHandle = 1001;
inline constexpr ui::WindowHandle kLoginHandle = 1002;
inline constexpr ui::WindowHandle kPasswordHandle = 1003;
inline constexpr ui::WindowHandle kLockHandle = 1004;
inline constexpr ui::WindowHandle kScheduleHandle = 1005;
inline constexpr std::uintptr_t kIcon = 77;

// The window-level half of every fake view. Window ops are logged as "<window>.<op>".
template <class View>
class FakeForm : public View {
 public:
  FakeForm(std::string name, ui::WindowHandle handle, Log& log)
      : name_(std::move(name)), handle_(handle), log_(log) {}

  ui::WindowState GetWindowState() const override { return state_; }
  void SetWindowState(ui::WindowState state) override {
    state_ = state;
    Note(state == ui::WindowState::kMinimized ? "minimized" : "normal");
  }
  bool IsVisible() const override { return visible_; }
  void Show() override {
    visible_ = true;
    Note("show");
  }
  void Hide() override {
    visible_ = false;
    Note("hide");
  }
  void Refresh() override { Note("refresh"); }
  ui::WindowHandle hWnd() const override { return handle_; }
  void Unload() override {
    visible_ = false;
    unloaded_ = true;
    Note("unload");
    if (on_unload) {
      on_unload();
    }
  }

  bool unloaded() const { return unloaded_; }
  std::function<void()> on_unload;  // runs when the program unloads the window

 protected:
  void Note(const std::string& what) { log_.push_back(name_ + "." + what); }

 private:
  std::string name_;
  ui::WindowHandle handle_;
  Log& log_;
  ui::WindowState state_ = ui::WindowState::kNormal;
  bool visible_ = false;
  bool unloaded_ = false;
};

class FakeMainView : public FakeForm<ui::MainView> {
 public:
  explicit FakeMainView(Log& log) : FakeForm("main", kMainHandle, log) {}

  void AddColumn(std::string_view header, std::optional<int> width_twips) override {
    columns.emplace_back(header, width_twips);
  }
  std::string WebsiteText() const override { return website; }
  void SetWebsiteText(std::string_view text) override { website = text; }
  void SetAddEntryEnabled(bool enabled) override { add_entry_enabled = enabled; }
  void ShowRows(const blocklist::BlockList& shown) override { list = &shown; }
  void SetRowStatuses(const ui::RowStatuses& shown) override { statuses = &shown; }
  void SetShownRows(const ui::ShownRows& rows) override { shown_rows = &rows; }
  std::vector<std::size_t> SelectedRows() const override { return selected_rows; }
  std::string FindText() const override { return find; }
  void SetFindText(std::string_view text) override { find = text; }
  void FocusFind() override { find_has_focus = true; }
  void EnsureRowVisible(std::size_t position) override { visible_row = position; }
  void FocusList() override { list_has_focus = true; }
  void SetRestartNoticeVisible(bool shown) override { restart_notice = shown; }
  void SetBrowserWarning(std::string_view text) override { browser_warning = text; }
  void SetStatusText(std::string_view text) override { status = text; }
  void SetLockLine(std::string_view text) override { lock_line = text; }
  void SetBrowsersLeftAlone(bool left_alone) override { browsers_left_alone = left_alone; }
  void SetExportText(std::string_view text) override { export_text = text; }
  std::uintptr_t Icon() const override { return kIcon; }

  // The rows as the list shows them: website, TAB, status.
  std::vector<std::string> Rows() const;

  std::vector<std::pair<std::string, std::optional<int>>> columns;
  std::string website;
  bool add_entry_enabled = false;
  const blocklist::BlockList* list = nullptr;
  const ui::RowStatuses* statuses = nullptr;
  const ui::ShownRows* shown_rows = nullptr;
  std::vector<std::size_t> selected_rows;  // as the user left them in the control
  std::string find;
  bool find_has_focus = false;
  std::optional<std::size_t> visible_row;
  bool list_has_focus = false;
  bool restart_notice = false;
  std::string browser_warning;
  std::string status;
  std::string lock_line;
  bool browsers_left_alone = false;
  std::string export_text;
};

class FakeLoginView : public FakeForm<ui::LoginView> {
 public:
  explicit FakeLoginView(Log& log) : FakeForm("login", kLoginHandle, log) {}
  std::string PasswordText() const override { return password; }
  std::string password;
};

class FakePasswordView : public FakeForm<ui::PasswordView> {
 public:
  FakePasswordView(Log& log, ui::Forms& forms, std::function<void(ui::frmPassword&)> user)
      : FakeForm("password", kPasswordHandle, log), forms_(forms), user_(std::move(user)) {}
  std::string PasswordText() const override { return password; }
  std::string ConfirmText() const override { return confirm; }
  // The user acts while the window is open; a window they leave open they close with its box.
  void ShowModal() override;

  std::string password;
  std::string confirm;

 private:
  ui::Forms& forms_;
  std::function<void(ui::frmPassword&)> user_;
};

class FakeLockView : public FakeForm<ui::LockView> {
 public:
  FakeLockView(Log& log, ui::Forms& forms, std::function<void(ui::frmLock&)> user)
      : FakeForm("lock", kLockHandle, log), forms_(forms), user_(std::move(user)) {}
  std::string LengthText() const override { return length; }
  bool CountOnlyOn() const override { return count_only_on; }
  void SetEndsText(std::string_view text) override { ends = text; }
  // As the password window's: the user acts, and a window left open is closed with its box.
  void ShowModal() override;

  std::string length;
  bool count_only_on = false;
  std::string ends;

 private:
  ui::Forms& forms_;
  std::function<void(ui::frmLock&)> user_;
};

// The user's boxes, by day; shown modally as the lock window is, nobody acting in it.
class FakeScheduleView : public FakeForm<ui::ScheduleView> {
 public:
  FakeScheduleView(Log& log, ui::Forms& forms)
      : FakeForm("schedule", kScheduleHandle, log), forms_(forms) {}
  std::string DayText(int day) const override { return days.at(static_cast<std::size_t>(day)); }
  void SetDayText(int day, std::string_view text) override {
    days.at(static_cast<std::size_t>(day)) = text;
  }
  void SetStateText(std::string_view text) override { state = text; }
  void ShowModal() override;

  ui::DayTexts days;
  std::string state;

 private:
  ui::Forms& forms_;
};

class FakeViewFactory : public app::ViewFactory {
 public:
  explicit FakeViewFactory(Log& log) : log_(log) {}
  std::unique_ptr<ui::MainView> CreateMainView(ui::Forms& forms) override;
  std::unique_ptr<ui::LoginView> CreateLoginView(ui::Forms& forms) override;
  std::unique_ptr<ui::PasswordView> CreatePasswordView(ui::Forms& forms) override;
  std::unique_ptr<ui::LockView> CreateLockView(ui::Forms& forms) override;
  std::unique_ptr<ui::ScheduleView> CreateScheduleView(ui::Forms& forms) override;

  // The views of the latest load of each window.
  FakeMainView* main = nullptr;
  FakeLoginView* login = nullptr;
  FakePasswordView* password = nullptr;
  FakeLockView* lock = nullptr;
  FakeScheduleView* schedule = nullptr;
  int login_loads = 0;
  int password_loads = 0;
  int lock_loads = 0;
  // What the user does in the password and lock windows each time one is shown.
  std::function<void(ui::frmPassword&)> password_user;
  std::function<void(ui::frmLock&)> lock_user;

 private:
  Log& log_;
};

struct ShownBox {
  std::string text;
  std::string caption;
  ui::MsgBoxButtons buttons;
  ui::MsgBoxIcon icon;
};

// A list chooser as it was shown, its texts copied.
struct ShownChoice {
  ui::WindowHandle owner;
  std::string title;
  std::string prompt;
  std::string choose_button;
  std::string cancel_button;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  std::vector<bool> selectable;
  bool multiple = false;
  std::string other_button;
};

// The user's answer to a chooser (Cancel is ui::ListAnswer{}): the choose button with `row`
// picked; or, in a choice of several, with all the rows picked at first but `unpicked`.
inline ui::ListAnswer Pick(std::size_t row) {
  return {.button = ui::ListAnswer::Button::kChoose, .rows = {row}};
}
inline ui::ListAnswer Pick(std::vector<std::size_t> rows) {
  return {.button = ui::ListAnswer::Button::kChoose, .rows = std::move(rows)};
}

class FakeServices : public ui::PlatformServices {
 public:
  FakeServices(Log& log, std::string folder) : log_(log), folder_(std::move(folder)) {}

  ui::MsgBoxResult MsgBox(std::string_view text, std::string_view caption,
                          ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) override;
  void ShellNotifyIcon(ui::TrayRequest request, const ui::TrayRecord& record) override;
  void SetForegroundWindow(const ui::FormView& window) override;
  rir::Result<void> StartProgram(const std::string& path, ui::WindowStyle style) override;
  ui::ListAnswer ChooseFromList(const ui::FormView& owner, const ui::ListChoice& choice) override;
  std::optional<std::string> ChooseFile(const ui::FormView& /*owner*/,
                                        const ui::FileChoice& choice) override {
    file_choices.push_back(choice.kind);
    if (chosen_files.empty()) {
      return std::nullopt;
    }
    std::string path = std::move(chosen_files.front());
    chosen_files.pop_front();
    return path;
  }
  rir::Result<std::string> ExecutableFolder() override { return folder_; }
  bool HasNotificationArea() override { return has_notification_area; }
  std::vector<rir::Error> FlushResolverCaches() override {
    ++flushes;
    return flush_failures;
  }
  std::unique_ptr<ui::BlockCheckRun> StartBlockCheck(std::vector<std::string> names,
                                                     std::size_t first_other,
                                                     const std::string& hosts_path) override;
  void WatchProgress(const ui::FormView& owner, const ui::ProgressWatch& watch) override;
  blockcheck::BrowserPlaces WhereBrowsersAre() override { return browser_places; }
  ui::SystemFiles& Files() override { return files ? *files : beside_program_; }
  std::unique_ptr<ui::Repeating> Every(std::chrono::milliseconds interval,
                                       std::function<void()> tick) override;
  void EndProgram() override;
  // Runs every repeating call once, as the time passing would.
  void Tick() { repeats.RunAll(); }

  ui::SystemFiles* files = nullptr;  // the program's own reads and writes when none
  bool system_check = false;         // look names up through the system's resolver
  ui::ManualRepeats repeats;         // the repeating calls under way
  std::vector<ShownBox> boxes;
  std::deque<ui::MsgBoxResult> answers;  // for Yes/No questions, in order
  std::vector<ShownChoice> choices;
  std::deque<std::string> chosen_files;  // the user's answer to each file chooser; none: cancel
  std::vector<ui::FileChoice::Kind> file_choices;
  std::deque<ui::ListAnswer> picks;      // the user's answer to each chooser, in order
  std::function<void()> while_choosing;  // what else happens while a chooser is open
  std::map<std::pair<ui::WindowHandle, std::uint32_t>, ui::TrayRecord> icons;  // the shell's
  std::vector<std::pair<std::string, ui::WindowStyle>> started;
  bool has_notification_area = true;
  int flushes = 0;
  std::vector<rir::Error> flush_failures;  // what each flush answers
  // Each blocking check: the names it was given, and the hosts file named.
  std::vector<std::pair<std::vector<std::string>, std::string>> checks;
  std::vector<std::string> leaking;  // the names that the checks find leaking
  blockcheck::CheckSummary summary;  // and how they went
  // The user presses Cancel once the progress window has seen this many look-ups done.
  std::optional<std::size_t> cancel_after;
  bool cancel_imports = false;
  std::vector<std::string> progress_texts;   // what the progress window showed
  std::vector<std::string> wait_texts;       // ... over a wait that cannot be stopped
  std::vector<std::string> unseen_waits;     // waits that show no window
  blockcheck::BrowserPlaces browser_places;  // none: no browser is found
  int ends = 0;

 private:
  Log& log_;
  std::string folder_;
  ui::FilesBesideProgram beside_program_{*this};
};

}  // namespace fakes
