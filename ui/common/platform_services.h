// What the window logic asks of the platform besides its windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rir/error.h"
#include "rir/result.h"
#include "ui/common/form_view.h"

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

// A modal window that shows rows of texts under column headers and lets the user pick one.
struct ListChoice {
  std::string_view title;
  std::string_view prompt;         // above the list
  std::string_view choose_button;  // the button that confirms the row picked; the other cancels
  std::vector<std::string_view> columns;
  std::vector<std::vector<std::string>> rows;  // one text per column; the first row is picked
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
  // Shows the choice modally over `owner` and returns the row confirmed; nothing when the user
  // cancels or closes it.
  virtual std::optional<std::size_t> ChooseFromList(const FormView& owner,
                                                    const ListChoice& choice) = 0;
  // The folder that holds the running executable, without a trailing separator.
  virtual rir::Result<std::string> ExecutableFolder() = 0;
  virtual bool HasNotificationArea() = 0;
  // Empties the machine's name caches after the hosts file changed; why each that could not be
  // emptied was not.
  virtual std::vector<rir::Error> FlushResolverCaches() = 0;
  // The last window has unloaded: the event loop ends and the program with it.
  virtual void EndProgram() = 0;
};

}  // namespace ui
