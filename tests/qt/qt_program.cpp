#include "qt_program.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/start_up.h"
#include "fake_block_check.h"
#include "text.h"
#include "ui/lock/lock_form.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "ui/password/password_form.h"
#include "ui/schedule/schedule_form.h"

namespace qttest {

QtProgram::QtProgram(bool notification_area) {
  services_.emplace(qtfront::QtServices::Options{
      .answer_message_boxes =
          [this](std::string_view text, std::string_view caption, ui::MsgBoxButtons buttons,
                 ui::MsgBoxIcon icon) { return Answer(text, caption, buttons, icon); },
      .answer_file_choices = [this](const ui::FileChoice& choice) { return AnswerFile(choice); },
      .executable_folder = folder.path().string(),
      .start_block_check =
          [this](const std::vector<std::string>& names, const std::string& /*hosts_path*/) {
            return std::make_unique<testsupport::FakeBlockCheck>(
                names, leaking, check_stops_after.value_or(static_cast<std::size_t>(-1)));
          },
      .browser_places = BrowserPlaces(),
      .manual_repeats = true,
      .notification_area = notification_area});
  views_.emplace(*services_);
}

QtProgram::~QtProgram() {
  application_.reset();
  Pump();
}

app::Application& QtProgram::Start(bool first_run) {
  if (first_run) {
    testsupport::WriteBytes(state_path, "[settings]\r\nfirstrun=true\r\n");
  }
  application_.emplace(*views_, *services_, hostsfile::HostsStore(hosts_path));
  modGetSystemPath::Main(*application_);
  Pump();
  return *application_;
}

QWidget* QtProgram::WindowOf(ui::FormId id) {
  if (!application_->IsLoaded(id)) {
    return nullptr;
  }
  const auto find = [](const ui::FormView& view) {
    return QWidget::find(static_cast<WId>(view.hWnd()));
  };
  switch (id) {
    case ui::FormId::kMain:
      return find(application_->Main().view());
    case ui::FormId::kLogin:
      return find(application_->Login().view());
    case ui::FormId::kPassword:
      return find(application_->Password().view());
    case ui::FormId::kLock:
      return find(application_->Lock().view());
    case ui::FormId::kSchedule:
      return find(application_->Schedule().view());
  }
  return nullptr;
}

QWidget* QtProgram::Main() {
  return WindowOf(ui::FormId::kMain);
}

QWidget* QtProgram::Login() {
  return WindowOf(ui::FormId::kLogin);
}

QWidget* QtProgram::Password() {
  return WindowOf(ui::FormId::kPassword);
}

QWidget* QtProgram::Lock() {
  return WindowOf(ui::FormId::kLock);
}

QWidget* QtProgram::Schedule() {
  return WindowOf(ui::FormId::kSchedule);
}

void QtProgram::Pump() {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
}

void QtProgram::Later(std::function<void()> action) {
  QTimer::singleShot(0, QApplication::instance(), std::move(action));
}

QWidget* QtProgram::WindowOf(testsupport::Window window) {
  switch (window) {
    case testsupport::Window::kMain:
      return Main();
    case testsupport::Window::kLogin:
      return Login();
    case testsupport::Window::kPassword:
      return Password();
    case testsupport::Window::kLock:
      return Lock();
    case testsupport::Window::kSchedule:
      return Schedule();
    case testsupport::Window::kChooser:
    case testsupport::Window::kProgress: {
      const QString name = window == testsupport::Window::kChooser
                               ? QStringLiteral("ListChooser")
                               : QStringLiteral("ProgressWindow");
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name && top->isVisible()) {
          return top;
        }
      }
      return nullptr;
    }
  }
  return nullptr;
}

QWidget& QtProgram::Control(testsupport::Window window, std::string_view name) {
  const std::string text(name);
  return Find<QWidget>(WindowOf(window), text.c_str());
}

void QtProgram::InChooser(std::function<void()> act) {
  WhenChooserOpens(std::move(act), std::chrono::steady_clock::now() + std::chrono::minutes(1));
}

// The program may wait for other work on its way to the chooser (a save, with events handled).
void QtProgram::WhenChooserOpens(std::function<void()> act,
                                 std::chrono::steady_clock::time_point give_up) {
  QTimer::singleShot(5, QApplication::instance(), [this, act = std::move(act), give_up]() mutable {
    QWidget* chooser = WindowOf(testsupport::Window::kChooser);
    if (!chooser && std::chrono::steady_clock::now() < give_up) {
      WhenChooserOpens(std::move(act), give_up);
      return;
    }
    if (!chooser) {
      ADD_FAILURE() << "no list chooser is open";
      return;
    }
    act();
    if (chooser->isVisible()) {
      ADD_FAILURE() << "the list chooser is still open";
      chooser->close();
    }
  });
}

std::vector<std::string> QtProgram::ChooserColumns() {
  const auto& list = Find<QTreeWidget>(WindowOf(testsupport::Window::kChooser), "lvwChoices");
  std::vector<std::string> columns;
  columns.reserve(static_cast<std::size_t>(list.columnCount()));
  for (int column = 0; column < list.columnCount(); ++column) {
    columns.push_back(qtfront::FromQt(list.headerItem()->text(column)));
  }
  return columns;
}

std::vector<std::string> QtProgram::ChooserRows() {
  const auto& list = Find<QTreeWidget>(WindowOf(testsupport::Window::kChooser), "lvwChoices");
  std::vector<std::string> rows;
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    QStringList texts;
    for (int column = 0; column < list.columnCount(); ++column) {
      texts.push_back(list.topLevelItem(row)->text(column));
    }
    rows.push_back(qtfront::FromQt(texts.join(QLatin1Char('\t'))));
  }
  return rows;
}

bool QtProgram::ChooserOwnedByMain() {
  const QWidget* chooser = WindowOf(testsupport::Window::kChooser);
  return chooser && chooser->isModal() && chooser->parentWidget() == Main();
}

bool QtProgram::Shown(testsupport::Window window) {
  const QWidget* widget = WindowOf(window);
  return widget && widget->isVisible();
}

bool QtProgram::Minimized() {
  return application_->IsLoaded(ui::FormId::kMain) &&
         application_->Main().view().GetWindowState() == ui::WindowState::kMinimized;
}

bool QtProgram::TakesInput(testsupport::Window window) {
  QWidget* widget = WindowOf(window);
  const QWidget* modal = QApplication::activeModalWidget();
  return widget && widget->isEnabled() && (!modal || modal == widget);
}

std::string QtProgram::Caption(testsupport::Window window) {
  return qtfront::FromQt(WindowOf(window)->windowTitle());
}

void QtProgram::TypeIn(testsupport::Window window, std::string_view control,
                       std::string_view text) {
  const std::string name(control);
  Type(WindowOf(window), name.c_str(), qtfront::ToQt(text));
}

void QtProgram::PressEnterIn(testsupport::Window window, std::string_view control) {
  QTest::keyClick(&Control(window, control), Qt::Key_Return);
}

void QtProgram::ClickOn(testsupport::Window window, std::string_view control) {
  QWidget& widget = Control(window, control);
  if (qobject_cast<QAbstractButton*>(&widget)) {
    QTest::mouseClick(&widget, Qt::LeftButton);
  } else {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(60, 16));  // a picture's middle
  }
}

std::string QtProgram::StatusText() {
  return qtfront::FromQt(Find<QLabel>(Main(), "StatusBar1Panel2").text());
}

std::string QtProgram::TextOf(testsupport::Window window, std::string_view control) {
  QWidget& widget = Control(window, control);
  if (const auto* edit = qobject_cast<QLineEdit*>(&widget)) {
    return qtfront::FromQt(edit->text());
  }
  if (const auto* text = qobject_cast<QPlainTextEdit*>(&widget)) {
    return qtfront::FromQt(text->toPlainText());
  }
  if (const auto* label = qobject_cast<QLabel*>(&widget)) {
    return qtfront::FromQt(label->text());
  }
  if (const auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    return qtfront::FromQt(button->text());
  }
  throw std::runtime_error("no text in " + std::string(control));
}

bool QtProgram::Enabled(testsupport::Window window, std::string_view control) {
  return Control(window, control).isEnabled();
}

bool QtProgram::Ticked(testsupport::Window window, std::string_view control) {
  const std::string name(control);
  return Find<QCheckBox>(WindowOf(window), name.c_str()).isChecked();
}

bool QtProgram::ControlShown(testsupport::Window window, std::string_view control) {
  return Control(window, control).isVisible();
}

void QtProgram::Hide(testsupport::Window window, std::string_view control) {
  Control(window, control).hide();
}

void QtProgram::ChooseMenu(std::string_view menu, std::string_view item) {
  const auto& bar = Find<QMenuBar>(Main(), "MenuBar");
  for (const QAction* title : bar.actions()) {
    if (title->menu() && title->text() == qtfront::ToQt(menu)) {
      for (QAction* action : title->menu()->actions()) {
        if (action->text() == qtfront::ToQt(item)) {
          action->trigger();
          return;
        }
      }
    }
  }
  throw std::runtime_error("no menu item " + std::string(menu) + ", " + std::string(item));
}

void QtProgram::CloseWithCloseBox(testsupport::Window window) {
  WindowOf(window)->close();
}

void QtProgram::ClickTray(testsupport::TrayClick click) {
  QSystemTrayIcon* icon = services_->tray_icon();
  if (!icon) {
    throw std::runtime_error("no tray icon");
  }
  switch (click) {
    case testsupport::TrayClick::kSingle:
      emit icon->activated(QSystemTrayIcon::Trigger);
      break;
    case testsupport::TrayClick::kContext:
      emit icon->activated(QSystemTrayIcon::Context);
      break;
    case testsupport::TrayClick::kDouble:
      emit icon->activated(QSystemTrayIcon::DoubleClick);
      break;
  }
}

std::string QtProgram::TrayTip() {
  return qtfront::FromQt(services_->tray_icon()->toolTip());
}

int QtProgram::RowCount() {
  return Find<QTreeView>(Main(), "lvwWebsites").model()->rowCount();
}

std::string QtProgram::Row(int index) {
  const QAbstractItemModel& model = *Find<QTreeView>(Main(), "lvwWebsites").model();
  return qtfront::FromQt(model.index(index, 0).data().toString() + QLatin1Char('\t') +
                         model.index(index, 1).data().toString());
}

bool QtProgram::RowInView(int index) {
  const auto& list = Find<QTreeView>(Main(), "lvwWebsites");
  return list.viewport()->rect().intersects(list.visualRect(list.model()->index(index, 0)));
}

void QtProgram::SelectRow(testsupport::Window window, int index) {
  auto& list = window == testsupport::Window::kChooser
                   ? Find<QTreeView>(WindowOf(window), "lvwChoices")
                   : Find<QTreeView>(Main(), "lvwWebsites");
  if (index < 0) {
    list.clearSelection();
    return;
  }
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.model()->index(index, 0)).center());
}

void QtProgram::ToggleChooserRow(int index) {
  auto& list = Find<QTreeView>(WindowOf(testsupport::Window::kChooser), "lvwChoices");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list.visualRect(list.model()->index(index, 0)).center());
}

std::vector<int> QtProgram::ChooserPicked() {
  const auto& list = Find<QTreeWidget>(WindowOf(testsupport::Window::kChooser), "lvwChoices");
  std::vector<int> rows;
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    if (list.topLevelItem(row)->isSelected()) {
      rows.push_back(row);
    }
  }
  return rows;
}

void QtProgram::PlaceUninstaller() {
  // A stand-in that leaves a mark.
  const std::string uninstaller = folder.File("unins000.exe");
  testsupport::WriteBytes(uninstaller, "#!/bin/sh\ntouch '" + folder.File("uninstalled") + "'\n");
  std::filesystem::permissions(uninstaller, std::filesystem::perms::owner_all);
}

bool QtProgram::UninstallerRan() {
  const std::string mark = folder.File("uninstalled");
  for (int wait = 0; wait < 100 && !std::filesystem::exists(mark); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::filesystem::exists(mark);
}

void QtProgram::Type(QWidget* window, const char* box, const QString& text) {
  auto& edit = Find<QLineEdit>(window, box);
  edit.setFocus();
  edit.selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(&edit, Qt::Key_Backspace);
  } else {
    // QTest finds a key for ASCII only; a letter past it is typed as the text a key gives.
    for (const QChar c : text) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(&edit, c.toLatin1());
      } else {
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }
}

void QtProgram::Menu(const char* item) {
  Find<QAction>(Main(), item).trigger();
}

int QtProgram::SelectedRow() {
  const QModelIndexList selected =
      Find<QTreeView>(Main(), "lvwWebsites").selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.front().row();
}

std::vector<int> QtProgram::SelectedRows() {
  std::vector<int> rows;
  for (const QModelIndex& row :
       Find<QTreeView>(Main(), "lvwWebsites").selectionModel()->selectedRows()) {
    rows.push_back(row.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void QtProgram::SelectRows(int first, int last) {
  auto& list = Find<QTreeView>(Main(), "lvwWebsites");
  const auto click = [&list](int row, Qt::KeyboardModifiers keys) {
    const QModelIndex index = list.model()->index(row, 0);
    list.scrollTo(index);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, keys, list.visualRect(index).center());
  };
  click(first, Qt::NoModifier);
  click(last, Qt::ShiftModifier);
}

void QtProgram::SelectAll() {
  auto& list = Find<QTreeView>(Main(), "lvwWebsites");
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
}

void QtProgram::PressCtrlF() {
  // A window's keys work while it is the active one, as it is when the user types.
  Main()->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(Main()));
  QWidget* focus = Main()->focusWidget();
  QTest::keyClick(focus != nullptr ? focus : Main(), Qt::Key_F, Qt::ControlModifier);
}

void QtProgram::PasteIn(testsupport::Window window, std::string_view control,
                        std::string_view text) {
  QApplication::clipboard()->setText(qtfront::ToQt(text));
  QWidget& box = Control(window, control);
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
}

bool QtProgram::Focused(testsupport::Window window, std::string_view control) {
  // The control its window gives the keys to; the offscreen platform activates no window.
  QWidget& widget = Control(window, control);
  return widget.window()->focusWidget() == &widget;
}

}  // namespace qttest
