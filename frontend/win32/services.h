// What the window logic asks of Windows besides its windows: message boxes, the notification
// area, the foreground, starting the uninstaller, the executable's folder, ending the program.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/manual_repeats.h"
#include "ui/common/platform_services.h"

namespace win32 {

// The message through which the shell reports mouse activity on the tray icon to the main
// window; the low word of its lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// MessageBoxA's style for the logic's buttons and icon.
UINT MessageBoxStyle(ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon);
// The shell's own record, in its first, ANSI, version, for the logic's tray record.
NOTIFYICONDATAA ShellRecord(const ui::TrayRecord& record);

class Win32Services final : public ui::PlatformServices {
 public:
  using MessageBoxAnswer = std::function<ui::MsgBoxResult(
      std::string_view text, std::string_view caption, ui::MsgBoxButtons, ui::MsgBoxIcon)>;
  using FileChoiceAnswer = std::function<std::optional<std::string>(const ui::FileChoice&)>;
  using BlockCheckStarter = std::function<std::unique_ptr<ui::BlockCheckRun>(
      std::vector<std::string> names, const std::string& hosts_path)>;

  // Tests answer the message boxes themselves and keep the state file in a folder of their own;
  // the program leaves both empty.
  struct Options {
    MessageBoxAnswer answer_message_boxes;
    // Tests also pick the files that the file chooser would offer.
    FileChoiceAnswer answer_file_choices{};
    std::string executable_folder;
    // Tests look the names up in a resolver of their own, since the system's does not read
    // their hosts files, and read browsers' settings from folders of their own.
    BlockCheckStarter start_block_check{};
    std::optional<blockcheck::BrowserPlaces> browser_places{};
    // Repeating calls run only when RunRepeats says, as a test steps through time.
    bool manual_repeats = false;
  };

  Win32Services() = default;
  explicit Win32Services(Options options) : options_(std::move(options)) {}

  ui::MsgBoxResult MsgBox(std::string_view text, std::string_view caption,
                          ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) override;
  void ShellNotifyIcon(ui::TrayRequest request, const ui::TrayRecord& record) override;
  void SetForegroundWindow(const ui::FormView& window) override;
  rir::Result<void> StartProgram(const std::string& path, ui::WindowStyle style) override;
  ui::ListAnswer ChooseFromList(const ui::FormView& owner, const ui::ListChoice& choice) override;
  std::optional<std::string> ChooseFile(const ui::FormView& owner,
                                        const ui::FileChoice& choice) override;
  rir::Result<std::string> ExecutableFolder() override;
  bool HasNotificationArea() override;
  std::vector<rir::Error> FlushResolverCaches() override;
  std::unique_ptr<ui::BlockCheckRun> StartBlockCheck(std::vector<std::string> names,
                                                     std::size_t first_other,
                                                     const std::string& hosts_path) override;
  void WatchProgress(const ui::FormView& owner, const ui::ProgressWatch& watch) override;
  blockcheck::BrowserPlaces WhereBrowsersAre() override;
  ui::SystemFiles& Files() override { return beside_program_; }
  std::unique_ptr<ui::Repeating> Every(std::chrono::milliseconds interval,
                                       std::function<void()> tick) override;
  // With Options::manual_repeats: runs each repeating call once.
  void RunRepeats() { manual_repeats_.RunAll(); }
  void EndProgram() override;

  // Explorer started again and has forgotten every icon: ours comes back if it was there.
  void RestoreTrayIcon();
  // The icon as last added, while it is there.
  const std::optional<NOTIFYICONDATAA>& tray_icon() const { return tray_icon_; }
  bool program_ended() const { return program_ended_; }

 private:
  Options options_;
  ui::ManualRepeats manual_repeats_;
  ui::FilesBesideProgram beside_program_{*this};
  std::optional<NOTIFYICONDATAA> tray_icon_;
  bool program_ended_ = false;
};

}  // namespace win32
