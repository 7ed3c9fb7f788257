// The Qt windows as the layout tables give them: every row of each table checked against
// the widget that the window made of it (its parent, place below the menu bar, size, caption,
// font, colours, state and kind), and the order of the Tab key walked along the real focus
// chain. The numbers live in the tables only.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>

#include "form_window.h"
#include "picture_box.h"
#include "picture_button.h"
#include "qt_program.h"
#include "text.h"
#include "ui/lock/lock_layout.h"
#include "ui/login/login_layout.h"
#include "ui/main/main_layout.h"
#include "ui/password/password_layout.h"
#include "ui/schedule/schedule_layout.h"

namespace {

using qttest::QtProgram;
using ui::layout::Kind;

QWidget& ClientOf(QWidget* window) {
  return static_cast<qtfront::FormWindow*>(window)->client();
}

QColor ToQColor(const ui::layout::Colour& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

QString NameOf(std::string_view name) {
  return qtfront::ToQt(name);
}

// The widget each kind must be.
bool IsOfKind(QWidget& widget, Kind kind) {
  switch (kind) {
    case Kind::kPushButton:
      return qobject_cast<QPushButton*>(&widget) != nullptr;
    case Kind::kTextBox: {
      auto* box = qobject_cast<QLineEdit*>(&widget);
      return box && box->echoMode() == QLineEdit::Normal;
    }
    case Kind::kPasswordBox: {
      auto* box = qobject_cast<QLineEdit*>(&widget);
      return box && box->echoMode() == QLineEdit::Password &&
             !box->testAttribute(Qt::WA_InputMethodEnabled);
    }
    case Kind::kMultiLineTextBox: {
      auto* box = qobject_cast<QPlainTextEdit*>(&widget);
      return box && box->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff &&
             box->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && box->tabChangesFocus();
    }
    case Kind::kLabel:
      return qobject_cast<QLabel*>(&widget) && !dynamic_cast<qtfront::PictureButton*>(&widget);
    case Kind::kPictureButton:
      return dynamic_cast<qtfront::PictureButton*>(&widget) != nullptr;
    case Kind::kPictureBox:
      return dynamic_cast<qtfront::PictureBox*>(&widget) != nullptr;
    case Kind::kListView:
      return qobject_cast<QTreeView*>(&widget) != nullptr;
    case Kind::kStatusBar:
      return qobject_cast<QStatusBar*>(&widget) != nullptr;
    case Kind::kCheckBox:
      return qobject_cast<QCheckBox*>(&widget) != nullptr;
  }
  return false;
}

QString TextOf(QWidget& widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    return button->text();
  }
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    return label->text();
  }
  return {};
}

// One row of a table against the widget the window made of it.
void ExpectRow(QtProgram& program, QWidget* window, const ui::layout::Control& row) {
  SCOPED_TRACE(std::string(row.name));
  auto& control = program.Find<QWidget>(window, NameOf(row.name).toLatin1().constData());
  ASSERT_TRUE(IsOfKind(control, row.kind)) << control.metaObject()->className();

  // In its container, measured from the container's inner area; the window's own rows lie in
  // the client area, below the menu bar.
  QWidget& client = ClientOf(window);
  const QPoint corner(row.rect.left, row.rect.top);
  if (row.container.empty()) {
    EXPECT_EQ(control.parentWidget(), &client);
    EXPECT_EQ(control.mapTo(window, QPoint(0, 0)), client.mapTo(window, corner));
  } else {
    auto& container = program.Find<QFrame>(window, NameOf(row.container).toLatin1().constData());
    EXPECT_TRUE(container.isAncestorOf(&control));
    EXPECT_EQ(control.mapTo(&container, QPoint(0, 0)), container.contentsRect().topLeft() + corner);
  }
  EXPECT_EQ(control.size(), QSize(row.rect.width, row.rect.height));

  if (row.kind == Kind::kPushButton || row.kind == Kind::kLabel || row.kind == Kind::kCheckBox) {
    EXPECT_EQ(TextOf(control), qtfront::ToQt(row.caption));
  }
  EXPECT_EQ(control.font().family(), qtfront::ToQt(row.font.face));
  EXPECT_DOUBLE_EQ(control.font().pointSizeF(), row.font.points());
  EXPECT_EQ(control.font().bold(), row.font.bold);

  const bool text_box = row.kind == Kind::kTextBox || row.kind == Kind::kPasswordBox ||
                        row.kind == Kind::kMultiLineTextBox;
  const QPalette::ColorRole text_role = text_box ? QPalette::Text : QPalette::WindowText;
  EXPECT_EQ(control.palette().color(QPalette::Active, text_role),
            row.text_colour ? ToQColor(*row.text_colour)
                            : window->palette().color(QPalette::Active, text_role));
  if (row.back_colour) {
    EXPECT_EQ(
        control.palette().color(QPalette::Active, text_box ? QPalette::Base : QPalette::Window),
        ToQColor(*row.back_colour));
  }
  if (row.kind == Kind::kLabel) {
    EXPECT_EQ(control.autoFillBackground(), !row.transparent);
    EXPECT_EQ(control.foregroundRole(), QPalette::WindowText);
  }
  if (auto* box = qobject_cast<QLineEdit*>(&control)) {
    EXPECT_GE(box->maxLength(), 1 << 30) << "no length limit";
  }
  EXPECT_EQ(control.isVisibleTo(window), row.shown);
  EXPECT_EQ(control.isEnabled(), row.enabled);
  EXPECT_EQ((control.focusPolicy() & Qt::TabFocus) != 0, ui::layout::TakesFocus(row.kind));
}

void ExpectTable(QtProgram& program, QWidget* window, const ui::layout::FormLayout& layout) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), qtfront::ToQt(layout.caption));
  EXPECT_EQ(ClientOf(window).size(), QSize(layout.client_width, layout.client_height));
  auto* bar = window->findChild<QMenuBar*>();
  const int bar_height = bar ? bar->height() : 0;
  EXPECT_EQ(ClientOf(window).mapTo(window, QPoint(0, 0)), QPoint(0, bar_height))
      << "the client area lies below the menu bar";
  EXPECT_EQ(window->size(), QSize(layout.client_width, layout.client_height + bar_height));
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
  EXPECT_FALSE(window->windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
  for (const ui::layout::Control& row : layout.controls) {
    ExpectRow(program, window, row);
  }
}

// The names of the widgets the Tab key stops at, along the window's focus chain from the first
// control of the table that takes the focus around to it again. Every widget of the window that
// would take the focus is named, so that one the table does not hold shows. Disabled controls
// are enabled first, as they would be in use.
void ExpectTabOrder(QtProgram& program, QWidget* window, const ui::layout::FormLayout& layout) {
  QStringList expected;
  for (const ui::layout::Control& row : layout.controls) {
    if (ui::layout::TakesFocus(row.kind) && row.shown) {
      expected.append(NameOf(row.name));
      program.Find<QWidget>(window, expected.back().toLatin1().constData()).setEnabled(true);
    }
  }
  QWidget* first = &program.Find<QWidget>(window, expected.front().toLatin1().constData());
  EXPECT_EQ(window->focusWidget(), first) << "the first control that takes the focus holds it";
  QStringList walked;
  QWidget* focus = first;
  do {
    if ((focus->focusPolicy() & Qt::TabFocus) && focus->isEnabled() && focus->isVisibleTo(window)) {
      walked.append(focus->objectName().isEmpty() ? focus->metaObject()->className()
                                                  : focus->objectName());
    }
    focus = focus->nextInFocusChain();
  } while (focus != first && walked.size() <= expected.size());
  EXPECT_EQ(walked, expected) << "the Tab key follows the table";
}

TEST(QtLayout, MainWindowMatchesItsTable) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  QWidget* main = program.Main();
  ExpectTable(program, main, ui::kMainLayout);
  ExpectTabOrder(program, main, ui::kMainLayout);

  // Two columns, "Website" 400 pixels wide.
  const auto& list = program.Find<QTreeView>(main, "lvwWebsites");
  ASSERT_EQ(list.model()->columnCount(), 2);
  EXPECT_EQ(list.model()->headerData(0, Qt::Horizontal).toString(), "Website");
  EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), "Status");
  EXPECT_EQ(list.header()->sectionSize(0), 280);

  const auto& status = program.Find<QLabel>(main, "StatusBar1Panel1");
  EXPECT_EQ(status.text(), qtfront::ToQt(ui::kStatusPanelText));
  EXPECT_EQ(status.width(), ui::kStatusPanelWidth);
  EXPECT_TRUE(program.Find<QWidget>(main, "StatusBar1").isAncestorOf(&status));
}

TEST(QtLayout, MenusHaveTheirCaptionsAndOneKey) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  const auto& bar = program.Find<QMenuBar>(program.Main(), "MenuBar");
  std::vector<std::vector<std::string>> shown;
  for (QAction* menu : bar.actions()) {
    shown.push_back({menu->text().toStdString()});
    for (QAction* item : menu->menu()->actions()) {
      shown.back().push_back("  " +
                             (item->isSeparator() ? std::string("-") : item->text().toStdString()));
      EXPECT_EQ(item->shortcut(), item->objectName() == "mmuFind"
                                      ? QKeySequence(QStringLiteral("Ctrl+F"))
                                      : QKeySequence());
      EXPECT_EQ(item->isCheckable(), item->objectName() == "mmuBrowserSettings");
      EXPECT_TRUE(item->isEnabled());
    }
  }
  const std::vector<std::vector<std::string>> expected = {
      {"File", "  Apply Settings", "  Import Websites...", "  Export Websites...",
       "  Restore Hosts File...", "  Change Password...", "  -", "  Exit"},
      {"Edit", "  Allow Site", "  Block Site", "  Block on Schedule", "  Remove Site", "  Find",
       "  -", "  Clear All", "  -", "  Check Blocking...", "  Lock Blocks...", "  Schedule...",
       "  Leave Browser Settings Alone"},
      {"Help", "  Support", "  -", "  Uninstall Rir Avadera", "  About"}};
  EXPECT_EQ(shown, expected);
  for (const std::vector<std::string>& menu : shown) {
    for (const std::string& caption : menu) {
      EXPECT_EQ(caption.find('&'), std::string::npos) << "no access key: " << caption;
    }
  }
}

TEST(QtLayout, LoginPasswordAndLockWindowsMatchTheirTables) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  program.app().Login().view().Show();
  QWidget* login = program.Login();
  ExpectTable(program, login, ui::kLoginLayout);
  ExpectTabOrder(program, login, ui::kLoginLayout);
  const auto& password = program.Find<QLineEdit>(login, "txtPassword");
  EXPECT_EQ(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
            '*');

  // The windows the main window shows modally, each through its menu item.
  struct Modal {
    const char* item;
    testsupport::Window shown;
    QWidget* (QtProgram::*window)();
    const ui::layout::FormLayout& layout;
  };
  for (const Modal& modal :
       {Modal{"mmuPassword", testsupport::Window::kPassword, &QtProgram::Password,
              ui::kPasswordLayout},
        Modal{"mmuLock", testsupport::Window::kLock, &QtProgram::Lock, ui::kLockLayout},
        Modal{"mmuSchedule", testsupport::Window::kSchedule, &QtProgram::Schedule,
              ui::kScheduleLayout}}) {
    SCOPED_TRACE(modal.item);
    program.WhenShown(modal.shown, [&] {
      QWidget* window = (program.*modal.window)();
      ExpectTable(program, window, modal.layout);
      ExpectTabOrder(program, window, modal.layout);
      EXPECT_TRUE(window->isModal());
      window->close();
    });
    program.Menu(modal.item);
    EXPECT_EQ((program.*modal.window)(), nullptr);
  }
}

}  // namespace
