// What the window logic asks of Linux besides its windows: message boxes, the notification
// area, the foreground, starting the uninstaller, the executable's folder, ending the program.
#pragma once

#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/manual_repeats.h"
#include "ui/common/platform_services.h"

namespace qtfront {

class QtServices final : public ui::PlatformServices {
 public:
  using MessageBoxAnswer = std::function<ui::MsgBoxResult(
      std::string_view text, std::string_view caption, ui::MsgBoxButtons, ui::MsgBoxIcon)>;
  using BlockCheckStarter = std::function<std::unique_ptr<ui::BlockCheckRun>(
      std::vector<std::string> names, const std::string& hosts_path)>;
  using FileChoiceAnswer = std::function<std::optional<std::string>(const ui::FileChoice&)>;
  // A mouse message on the tray icon, as Windows numbers them (515: double-click, left button).
  using TrayHandler = std::function<void(std::int32_t mouse_message)>;

  // Tests answer the message boxes themselves, keep the state file in a folder of their own and
  // say whether there is a notification area; the program leaves all three empty.
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
    std::optional<bool> notification_area;
    // Who writes the hosts file and the state file: this process itself when empty.
    std::shared_ptr<ui::SystemFiles> files{};
  };

  QtServices() = default;
  explicit QtServices(Options options) : options_(std::move(options)) {}

  // Where the icon's mouse messages go: the main window's tray handler.
  void OnTrayMessage(TrayHandler handler) { tray_handler_ = std::move(handler); }

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
  ui::SystemFiles& Files() override { return options_.files ? *options_.files : beside_program_; }
  std::unique_ptr<ui::Repeating> Every(std::chrono::milliseconds interval,
                                       std::function<void()> tick) override;
  // With Options::manual_repeats: runs each repeating call once.
  void RunRepeats() { manual_repeats_.RunAll(); }
  void EndProgram() override;

  // The icon while it is in the notification area.
  QSystemTrayIcon* tray_icon() { return tray_icon_ ? &*tray_icon_ : nullptr; }
  bool program_ended() const { return program_ended_; }

 private:
  Options options_;
  ui::ManualRepeats manual_repeats_;
  ui::FilesBesideProgram beside_program_{*this};
  TrayHandler tray_handler_;
  std::optional<QSystemTrayIcon> tray_icon_;
  std::uint32_t tray_id_ = 0;
  bool program_ended_ = false;
  QString last_folder_;  // where the file chooser was last left with a file
};

// Where the icon is shown: an X11 tray embeds it and reports clicks; a StatusNotifierItem host
// (the notification areas of today's desktops, over the session bus) only asks the item to
// activate, which it does on one click: the one way there to open what the icon stands for.
enum class TrayKind { kEmbedded, kStatusNotifier };
TrayKind TrayKindInThisSession();

// The shell's mouse message for an activation of the tray icon.
std::int32_t TrayMouseMessage(QSystemTrayIcon::ActivationReason reason,
                              TrayKind kind = TrayKind::kEmbedded);

}  // namespace qtfront
