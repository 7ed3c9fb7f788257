#include "services.h"

#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cerrno>

#include "hostsfile/resolver_cache.h"
#include "list_chooser.h"
#include "progress_window.h"
#include "settings/state_file.h"
#include "text.h"
#include "ui/common/system_block_check.h"

namespace qtfront {

namespace {

constexpr std::int32_t kLeftButtonUp = 0x202;
constexpr std::int32_t kLeftButtonDoubleClick = 0x203;
constexpr std::int32_t kRightButtonUp = 0x205;
constexpr std::int32_t kMiddleButtonUp = 0x208;

// The dialog's filters: "Name (*.a *.b)" for each kind offered, then every file.
QStringList NameFilters(const ui::FileChoice& choice) {
  QStringList filters;
  for (const auto& [name, patterns] : choice.filters) {
    filters.push_back(
        ToQt(name) + QStringLiteral(" (") +
        ToQt(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' ')) +
        QLatin1Char(')'));
  }
  filters.push_back(QStringLiteral("All files (*)"));
  return filters;
}

// The extension a saved file gets when its name has none: the first kind's first, "txt" of
// "*.txt".
QString DefaultSuffix(const ui::FileChoice& choice) {
  if (choice.filters.empty()) {
    return {};
  }
  const QString first = ToQt(choice.filters.front().second).section(QLatin1Char(';'), 0, 0);
  const QString extension = first.startsWith(QStringLiteral("*.")) ? first.mid(2) : QString();
  return extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')) ? QString()
                                                                                      : extension;
}

QMessageBox::Icon BoxIcon(ui::MsgBoxIcon icon) {
  switch (icon) {
    case ui::MsgBoxIcon::kCritical:
      return QMessageBox::Critical;
    case ui::MsgBoxIcon::kQuestion:
      return QMessageBox::Question;
    case ui::MsgBoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

TrayKind TrayKindInThisSession() {
  // Qt shows the icon as a StatusNotifierItem whenever a watcher is on the session bus.
  const QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() != nullptr &&
                 bus.interface()->isServiceRegistered("org.kde.StatusNotifierWatcher")
             ? TrayKind::kStatusNotifier
             : TrayKind::kEmbedded;
}

std::int32_t TrayMouseMessage(QSystemTrayIcon::ActivationReason reason, TrayKind kind) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      return kLeftButtonDoubleClick;
    case QSystemTrayIcon::Trigger:
      return kind == TrayKind::kStatusNotifier ? kLeftButtonDoubleClick : kLeftButtonUp;
    case QSystemTrayIcon::Context:
      return kRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
      return kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return 0;
}

ui::MsgBoxResult QtServices::MsgBox(std::string_view text, std::string_view caption,
                                    ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) {
  if (options_.answer_message_boxes) {
    return options_.answer_message_boxes(text, caption, buttons, icon);
  }
  const bool yes_no = buttons == ui::MsgBoxButtons::kYesNo;
  QMessageBox box(BoxIcon(icon), ToQt(caption), ToQt(text),
                  yes_no ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setDefaultButton(yes_no ? QMessageBox::Yes : QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return ui::MsgBoxResult::kYes;
    case QMessageBox::No:
      return ui::MsgBoxResult::kNo;
    default:
      // Closing a Yes/No box without an answer counts as No, as Escape does.
      return yes_no ? ui::MsgBoxResult::kNo : ui::MsgBoxResult::kOk;
  }
}

void QtServices::ShellNotifyIcon(ui::TrayRequest request, const ui::TrayRecord& record) {
  if (request == ui::TrayRequest::kDelete) {
    // Only the icon that was added goes; a record that added nothing removes nothing.
    if (tray_icon_ && record.uID == tray_id_) {
      tray_icon_.reset();
    }
    return;
  }
  if (tray_icon_ || record.uID == 0) {
    return;  // refused, as the shell refuses a second add: the icon stays as it is
  }
  tray_icon_.emplace();
  tray_id_ = record.uID;
  if (record.hIcon != 0) {
    // The main window's icon, which the window keeps while it is loaded; the record carries it
    // as a number, as the shell's record carries an icon handle.
    tray_icon_->setIcon(
        *reinterpret_cast<const QIcon*>(record.hIcon));  // NOLINT(performance-no-int-to-ptr)
  }
  const auto tip_end = std::find(record.szTip.begin(), record.szTip.end(), '\0');
  tray_icon_->setToolTip(ToQt(std::string_view(
      record.szTip.data(), static_cast<std::size_t>(tip_end - record.szTip.begin()))));
  QObject::connect(
      &*tray_icon_, &QSystemTrayIcon::activated, &*tray_icon_,
      [this, kind = TrayKindInThisSession()](QSystemTrayIcon::ActivationReason reason) {
        if (tray_handler_) {
          tray_handler_(TrayMouseMessage(reason, kind));
        }
      });
  tray_icon_->show();
}

void QtServices::SetForegroundWindow(const ui::FormView& window) {
  if (QWidget* widget = QWidget::find(static_cast<WId>(window.hWnd()))) {
    widget->raise();
    widget->activateWindow();
  }
}

rir::Result<void> QtServices::StartProgram(const std::string& path, ui::WindowStyle /*style*/) {
  // Linux has no window style to pass; the program is started detached and not waited for.
  if (access(path.c_str(), X_OK) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kStartProgram, path);
  }
  QProcess process;
  process.setProgram(ToQt(path));
  if (!process.startDetached()) {
    return rir::Error{rir::ErrorCode::kStartProgram, path, FromQt(process.errorString())};
  }
  return {};
}

ui::ListAnswer QtServices::ChooseFromList(const ui::FormView& owner, const ui::ListChoice& choice) {
  ListChooser chooser(QWidget::find(static_cast<WId>(owner.hWnd())), choice);
  return chooser.Run();
}

std::optional<std::string> QtServices::ChooseFile(const ui::FormView& owner,
                                                  const ui::FileChoice& choice) {
  if (options_.answer_file_choices) {
    return options_.answer_file_choices(choice);
  }
  const bool saving = choice.kind == ui::FileChoice::Kind::kSave;
  QFileDialog dialog(QWidget::find(static_cast<WId>(owner.hWnd())), ToQt(choice.title));
  // The dialog itself asks before a save replaces a file that is there.
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(NameFilters(choice));
  // The home folder at first, not the folder the program was started in; then the last one.
  dialog.setDirectory(last_folder_.isEmpty() ? QDir::homePath() : last_folder_);
  if (saving) {
    dialog.setDefaultSuffix(DefaultSuffix(choice));
    dialog.selectFile(ToQt(choice.file_name));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  last_folder_ = dialog.directory().absolutePath();
  // The system's code page is UTF-8: every path the dialog gives survives as 8-bit text.
  return FromQt(dialog.selectedFiles().front());
}

rir::Result<std::string> QtServices::ExecutableFolder() {
  if (!options_.executable_folder.empty()) {
    return options_.executable_folder;
  }
  return settings::ExecutableFolder();
}

bool QtServices::HasNotificationArea() {
  return options_.notification_area.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

std::vector<rir::Error> QtServices::FlushResolverCaches() {
  return hostsfile::FlushResolverCaches();
}

std::unique_ptr<ui::BlockCheckRun> QtServices::StartBlockCheck(std::vector<std::string> names,
                                                               std::size_t first_other,
                                                               const std::string& hosts_path) {
  if (options_.start_block_check) {
    return options_.start_block_check(std::move(names), hosts_path);
  }
  return ui::StartSystemBlockCheck(std::move(names), first_other, hosts_path);
}

blockcheck::BrowserPlaces QtServices::WhereBrowsersAre() {
  return options_.browser_places ? *options_.browser_places : blockcheck::SystemBrowserPlaces();
}

void QtServices::WatchProgress(const ui::FormView& owner, const ui::ProgressWatch& watch) {
  qtfront::WatchProgress(QWidget::find(static_cast<WId>(owner.hWnd())), watch);
}

namespace {

class QtRepeating final : public ui::Repeating {
 public:
  QtRepeating(std::chrono::milliseconds interval, std::function<void()> tick)
      : tick_(std::move(tick)) {
    timer_.setInterval(static_cast<int>(interval.count()));
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick_(); });
    timer_.start();
  }

 private:
  std::function<void()> tick_;
  QTimer timer_;
};

}  // namespace

std::unique_ptr<ui::Repeating> QtServices::Every(std::chrono::milliseconds interval,
                                                 std::function<void()> tick) {
  if (options_.manual_repeats) {
    return manual_repeats_.Add(std::move(tick));
  }
  return std::make_unique<QtRepeating>(interval, std::move(tick));
}

void QtServices::EndProgram() {
  program_ended_ = true;
  // Before the event loop runs, the start-up's caller sees that no window is loaded. Telling
  // Qt to quit then would make every later event loop return at once.
  if (QThread::currentThread()->loopLevel() > 0) {
    QCoreApplication::exit(0);
  }
}

}  // namespace qtfront
