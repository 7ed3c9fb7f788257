// What the window logic asks of the platform besides its windows.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "blockcheck/block_check.h"
#include "blockcheck/browser_bypass.h"
#include "rir/error.h"
#include "rir/result.h"
#include "ui/common/form_view.h"
#include "ui/common/system_files.h"

namespace ui {

enum class MsgBoxButtons { kOk, kYesNo };
enum class MsgBoxIcon { kNone, kCritical, kQuestion };
// The numbers the platform's message box gives back.
enum class MsgBoxResult { kOk = 1, kYes = 6, kNo = 7 };

enum class TrayRequest { kAdd = 0, kDelete = 2 };

// The program's notification-icon record, as the logic fills it. The platform turns it into the
// shell's own record and routes the icon's mouse notifications to the main window's tray
// handler through a callback message of its own choosing.
struct TrayRecord {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;  // message 1 + icon 2 + tip 4
  std::uintptr_t hIcon = 0;
  std::array<char, 64> szTip{};  // the text ends at its first NUL
};

// How a started program's window is shown (2: minimised, with the focus).
enum class WindowStyle { kMinimizedFocus = 2 };

// A modal window that shows rows of texts under column headers and lets the user pick one, or
// several.
struct ListChoice {
  std::string_view title{};
  std::string_view prompt{};         // above the list
  std::string_view choose_button{};  // the button that confirms the rows picked; the other cancels
  std::vector<std::string_view> columns{};
  std::vector<std::vector<std::string>> rows{};  // one text per column
  // For each row, whether the user may pick it; empty: every row. A heading among the rows is
  // shown, never picked.
  std::vector<bool> selectable{};
  // Several rows may be picked, and all that may be are picked at first; otherwise the first
  // that may be is.
  bool multiple = false;
  // A button left of the choose button that answers with no row; none when empty.
  std::string_view other_button{};
  int other_width = 0;  // its width, in pixels at 96 DPI
  // The other button. A list only to be read has no choose button, and this one closes it.
  std::string_view cancel_button = "Cancel";
  // Pixels at 96 DPI for each column, and the window's width; with none, the first column takes
  // what 96 for each other one leaves, and the columns from the third on hold numbers.
  std::vector<int> column_widths{};
  int client_width = 448;
  int choose_width = 82;  // the choose button's width, in pixels at 96 DPI
  int prompt_lines = 2;   // the room above the list, in lines of text: a longer prompt is cut

  // How far the list and the buttons lie below where a prompt of two lines leaves them.
  int PromptGrowth() const { return (prompt_lines - 2) * 14; }

  bool Selectable(std::size_t row) const { return row >= selectable.size() || selectable[row]; }
};

// How the user left a ListChoice.
struct ListAnswer {
  enum class Button { kCancel, kChoose, kOther };
  Button button = Button::kCancel;  // kCancel also when the window was closed
  std::vector<std::size_t> rows;    // kChoose: the rows picked, in order
};

// A look-up of every blocked name under way, on threads of its own; see blockcheck::BlockCheck.
class BlockCheckRun {
 public:
  virtual ~BlockCheckRun() = default;
  virtual blockcheck::BlockCheckProgress progress() const = 0;
  virtual void Cancel() = 0;
  virtual std::vector<blockcheck::Leak> Leaks() const = 0;
  // How it went: the names looked up and judged from the file, and what holds for all.
  virtual blockcheck::CheckSummary Summary() const { return {}; }
};

// What a window that follows a long task shows each time it looks.
struct ProgressState {
  std::string text;
  std::size_t done = 0;
  std::size_t total = 0;
  bool finished = false;
};

// A state whose total is 0 is a wait of unknown length: the window shows that it is busy.
struct ProgressWatch {
  std::string_view title;
  std::function<ProgressState()> poll;  // asked a few times a second, on the window's thread
  // The user pressed Cancel or closed the window. Empty for a task that cannot be stopped: the
  // window then has no Cancel, and closing it does nothing.
  std::function<void()> cancel;
  // False: the program keeps answering while it waits, and shows no window for it.
  bool show_window = true;
  // Sleeps until the task ends or `most` has passed. Where the task can tell, the window's
  // thread looks again as soon as it ends rather than at its next turn: a save of a fraction of
  // a second is not made longer by the wait between looks.
  std::function<void(std::chrono::milliseconds most)> wait = {};
};

// A window of the system's own that lets the user pick a file to read, or name one to write.
struct FileChoice {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  std::string_view title{};
  std::string_view file_name{};  // offered at first, when saving
  // The kinds of file offered first, as {name, patterns parted by ";"}; "All files" follows.
  std::vector<std::pair<std::string_view, std::string_view>> filters{};
};

// A call repeated on the window's thread until this object goes.
class Repeating {
 public:
  virtual ~Repeating() = default;
};

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // A modal message box, owned by the active window; returns the button chosen.
  virtual MsgBoxResult MsgBox(std::string_view text, std::string_view caption,
                              MsgBoxButtons buttons, MsgBoxIcon icon) = 0;
  // The shell's answer is not looked at: a refused add leaves an existing icon as it is.
  virtual void ShellNotifyIcon(TrayRequest request, const TrayRecord& record) = 0;
  virtual void SetForegroundWindow(const FormView& window) = 0;
  // Starts the program at `path` (no search path) without waiting for it.
  virtual rir::Result<void> StartProgram(const std::string& path, WindowStyle style) = 0;
  // Shows the choice modally over `owner` and returns the button pressed and the rows picked.
  virtual ListAnswer ChooseFromList(const FormView& owner, const ListChoice& choice) = 0;
  // The file's path in the 8-bit code page (the Linux program's is UTF-8); none when the user
  // cancelled. Saving over a file that is there is asked about by the system's window itself,
  // not by the caller.
  virtual std::optional<std::string> ChooseFile(const FormView& owner,
                                                const FileChoice& choice) = 0;
  // The folder that holds the running executable, without a trailing separator.
  virtual rir::Result<std::string> ExecutableFolder() = 0;
  virtual bool HasNotificationArea() = 0;
  // Empties the machine's name caches after the hosts file changed; why each that could not be
  // emptied was not.
  virtual std::vector<rir::Error> FlushResolverCaches() = 0;
  // Starts looking up `names` through the system's resolver: the blocked names, then from
  // `first_other` on other names of the same sites (see blockcheck::BlockCheckOptions);
  // `hosts_path` is the hosts file that maps them.
  virtual std::unique_ptr<BlockCheckRun> StartBlockCheck(std::vector<std::string> names,
                                                         std::size_t first_other,
                                                         const std::string& hosts_path) = 0;
  // Follows a task modally over `owner` until `poll` says it is finished; Cancel asks it to end
  // and the window stays until it has. A task that ends within a moment shows no window at all.
  virtual void WatchProgress(const FormView& owner, const ProgressWatch& watch) = 0;
  // Where the browsers of the user who runs the program keep their settings, and the machine's
  // policies for them (blockcheck::SystemBrowserPlaces).
  virtual blockcheck::BrowserPlaces WhereBrowsersAre() = 0;
  // The hosts file and the state file, as this program may read and write them.
  virtual SystemFiles& Files() = 0;
  // Calls `tick` on the window's thread every `interval`, between events, until the returned
  // object goes.
  virtual std::unique_ptr<Repeating> Every(std::chrono::milliseconds interval,
                                           std::function<void()> tick) = 0;
  // The last window has unloaded: the event loop ends and the program with it.
  virtual void EndProgram() = 0;
};

}  // namespace ui
