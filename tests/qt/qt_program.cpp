#include "qt_program.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "app/start_up.h"
#include "text.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "ui/password/password_form.h"

namespace qttest {

QtProgram::QtProgram(bool notification_area) {
  services_.emplace(qtfront::QtServices::Options{
      .answer_message_boxes =
          [this](std::string_view text, std::string_view caption, ui::MsgBoxButtons buttons,
                 ui::MsgBoxIcon icon) { return Answer(text, caption, buttons, icon); },
      .executable_folder = folder.path().string(),
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
  application_.emplace(*views_, *services_, blocklist::HostsStore(hosts_path));
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

void QtProgram::Pump() {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
}

void QtProgram::Later(std::function<void()> action) {
  QTimer::singleShot(0, QApplication::instance(), std::move(action));
}

void QtProgram::InChooser(std::function<void(QWidget& chooser)> act) {
  Later([act = std::move(act)] {
    QWidget* chooser = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() == QStringLiteral("ListChooser") && window->isVisible()) {
        chooser = window;
      }
    }
    if (!chooser) {
      ADD_FAILURE() << "no list chooser is open";
      return;
    }
    act(*chooser);
    if (chooser->isVisible()) {
      ADD_FAILURE() << "the list chooser is still open";
      chooser->close();
    }
  });
}

std::vector<std::string> QtProgram::ChooserRows(QWidget& chooser) {
  const auto& list = Find<QTreeWidget>(&chooser, "lvwChoices");
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

void QtProgram::Type(QWidget* window, const char* box, const QString& text) {
  auto& edit = Find<QLineEdit>(window, box);
  edit.setFocus();
  edit.selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(&edit, Qt::Key_Backspace);
  } else {
    QTest::keyClicks(&edit, text);
  }
}

void QtProgram::PressEnter(QWidget* window, const char* control) {
  QTest::keyClick(&Find<QWidget>(window, control), Qt::Key_Return);
}

void QtProgram::Click(QWidget* window, const char* button) {
  QTest::mouseClick(&Find<QPushButton>(window, button), Qt::LeftButton);
}

void QtProgram::ClickPicture(const char* picture) {
  QWidget& image = Find<QWidget>(Main(), picture);
  QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(60, 16));
}

void QtProgram::Menu(const char* item) {
  Find<QAction>(Main(), item).trigger();
}

void QtProgram::DoubleClickTray() {
  QSystemTrayIcon* icon = services_->tray_icon();
  if (!icon) {
    throw std::runtime_error("no tray icon");
  }
  emit icon->activated(QSystemTrayIcon::DoubleClick);
}

std::vector<std::string> QtProgram::Rows() {
  const QAbstractItemModel& model = *Find<QTreeView>(Main(), "lvwWebsites").model();
  std::vector<std::string> rows;
  for (int row = 0; row < model.rowCount(); ++row) {
    rows.push_back(qtfront::FromQt(model.index(row, 0).data().toString() + QLatin1Char('\t') +
                                   model.index(row, 1).data().toString()));
  }
  return rows;
}

int QtProgram::SelectedRow() {
  const QModelIndexList selected =
      Find<QTreeView>(Main(), "lvwWebsites").selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace qttest
