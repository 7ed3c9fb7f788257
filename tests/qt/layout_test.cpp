// The three Qt windows against the tables: client sizes, places and sizes of every control,
// fonts, colours, tab order, menus and the status bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>

#include "form_widget.h"
#include "qt_program.h"

namespace {

using qttest::QtProgram;

struct Placed {
  const char* name;
  QRect box;
};

void ExpectPlaced(QtProgram& program, QWidget* window, std::initializer_list<Placed> controls) {
  for (const Placed& control : controls) {
    EXPECT_EQ(program.Find<QWidget>(window, control.name).geometry(), control.box) << control.name;
  }
}

void ExpectFont(const QWidget& control, const char* family, double points, bool bold) {
  EXPECT_EQ(control.font().family(), QString::fromLatin1(family)) << control.objectName().data();
  EXPECT_DOUBLE_EQ(control.font().pointSizeF(), points) << control.objectName().data();
  EXPECT_EQ(control.font().bold(), bold) << control.objectName().data();
}

QSize ClientSize(QWidget* window) {
  return static_cast<qtfront::FormWidget*>(window)->client().size();
}

TEST(QtLayout, MainWindowMatchesTheTables) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  QWidget* main = program.Main();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->windowTitle(), "Tamborelle Website Durezur");
  EXPECT_EQ(ClientSize(main), QSize(575, 588));
  const auto& bar = program.Find<QMenuBar>(main, "MenuBar");
  EXPECT_EQ(main->size(), QSize(575, 588 + bar.height())) << "the client area lies below the bar";
  EXPECT_EQ(main->minimumSize(), main->maximumSize()) << "fixed size";
  EXPECT_FALSE(main->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(main->windowFlags() & Qt::WindowCloseButtonHint);

  ExpectPlaced(program, main,
               {{"Command1", {664, 408, 201, 49}},
                {"StatusBar1", {0, 563, 575, 25}},
                {"lvwWebsites", {8, 200, 561, 305}},
                {"txtExport", {600, 88, 297, 273}},
                {"Command3", {712, 368, 129, 33}},
                {"cmdAddEntry", {464, 152, 105, 33}},
                {"txtWebsite", {8, 152, 449, 33}},
                {"lblEnterWebsite", {8, 128, 289, 25}},
                {"Picture1", {0, 0, 576, 121}},
                {"lblMessage", {144, 88, 257, 17}},
                {"imgAllow", {8, 512, 124, 33}},
                {"imgBlock", {136, 512, 124, 33}},
                {"imgApply", {443, 511, 124, 33}}});
  // The message lies in the banner box's inner area, one pixel inside its border.
  const auto& message = program.Find<QLabel>(main, "lblMessage");
  EXPECT_EQ(message.mapTo(&program.Find<QWidget>(main, "Picture1"), QPoint(0, 0)), QPoint(145, 89));
  EXPECT_FALSE(message.isVisibleTo(main));
  EXPECT_EQ(message.palette().color(message.foregroundRole()), QColor(255, 0, 0));
  EXPECT_FALSE(message.autoFillBackground()) << "transparent";
  const auto& website = program.Find<QLineEdit>(main, "txtWebsite");
  EXPECT_EQ(website.palette().color(QPalette::Text), QColor(0, 0, 255));
  EXPECT_GE(website.maxLength(), 1 << 30) << "no length limit";
  EXPECT_FALSE(program.Find<QPushButton>(main, "cmdAddEntry").isEnabled());
  EXPECT_TRUE(program.Find<QLabel>(main, "lblEnterWebsite").autoFillBackground()) << "opaque";

  ExpectFont(program.Find<QWidget>(main, "Command1"), "MS Sans Serif", 8.25, false);
  ExpectFont(program.Find<QWidget>(main, "lvwWebsites"), "Verdana", 9.75, true);
  ExpectFont(website, "Verdana", 11.25, true);
  ExpectFont(program.Find<QWidget>(main, "lblEnterWebsite"), "Verdana", 12, true);
  ExpectFont(message, "Verdana", 8.25, true);

  // Two columns, "Website" 400 pixels wide.
  const auto& list = program.Find<QTreeView>(main, "lvwWebsites");
  ASSERT_EQ(list.model()->columnCount(), 2);
  EXPECT_EQ(list.model()->headerData(0, Qt::Horizontal).toString(), "Website");
  EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), "Status");
  EXPECT_EQ(list.header()->sectionSize(0), 400);

  const auto& status = program.Find<QLabel>(main, "StatusBar1Panel1");
  EXPECT_EQ(status.text(), "www.tamborelle.com");
  EXPECT_EQ(status.width(), 133);

  // Tab order: from Command1 around to it again, over the controls that take the focus.
  program.Find<QWidget>(main, "cmdAddEntry").setEnabled(true);  // as after typing
  const QStringList ours = {"Command1", "StatusBar1",  "lvwWebsites", "txtExport",
                            "Command3", "cmdAddEntry", "txtWebsite",  "lblEnterWebsite",
                            "Picture1", "lblMessage",  "imgAllow",    "imgBlock",
                            "imgApply"};
  QStringList walked;
  QWidget* first = &program.Find<QWidget>(main, "Command1");
  QWidget* focus = first;
  do {
    if (ours.contains(focus->objectName()) && (focus->focusPolicy() & Qt::TabFocus)) {
      walked.append(focus->objectName());
    }
    focus = focus->nextInFocusChain();
  } while (focus != first && walked.size() < 20);
  EXPECT_EQ(walked, QStringList({"Command1", "lvwWebsites", "txtExport", "Command3", "cmdAddEntry",
                                 "txtWebsite", "Picture1"}));
  for (const char* untouchable :
       {"imgAllow", "imgBlock", "imgApply", "lblEnterWebsite", "StatusBar1"}) {
    EXPECT_EQ(program.Find<QWidget>(main, untouchable).focusPolicy() & Qt::TabFocus, 0)
        << untouchable;
  }
}

TEST(QtLayout, MenusHaveTheirCaptionsAndNoKeys) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  const auto& bar = program.Find<QMenuBar>(program.Main(), "MenuBar");
  std::vector<std::string> shown;
  for (QAction* menu : bar.actions()) {
    shown.push_back(menu->text().toStdString());
    for (QAction* item : menu->menu()->actions()) {
      shown.push_back("  " + (item->isSeparator() ? std::string("-") : item->text().toStdString()));
      EXPECT_TRUE(item->shortcut().isEmpty());
      EXPECT_FALSE(item->isCheckable());
      EXPECT_TRUE(item->isEnabled());
    }
  }
  EXPECT_EQ(shown,
            (std::vector<std::string>{
                "File", "  Apply Settings", "  Restore Hosts File...", "  Change Password...",
                "  -", "  Exit", "Edit", "  Allow Site", "  Block Site", "  Remove Site", "  -",
                "  Clear All", "Help", "  Support", "  -", "  Uninstall Rir Avadera", "  About"}));
  for (const std::string& caption : shown) {
    EXPECT_EQ(caption.find('&'), std::string::npos) << "no access key: " << caption;
  }
}

TEST(QtLayout, LoginAndPasswordWindowsMatchTheTables) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  program.app().Login().view().Show();
  QWidget* login = program.Login();
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(login->windowTitle(), "Login");
  EXPECT_EQ(ClientSize(login), QSize(406, 111));
  EXPECT_EQ(login->size(), QSize(406, 111));
  ExpectPlaced(program, login,
               {{"Label1", {96, 8, 241, 25}},
                {"Label2", {104, 16, 41, 41}},
                {"Label3", {144, 16, 97, 41}},
                {"txtPassword", {168, 48, 233, 25}},
                {"Label4", {112, 56, 81, 25}},
                {"cmdLogin", {328, 80, 73, 25}}});
  const auto& green = program.Find<QLabel>(login, "Label2");
  EXPECT_EQ(green.palette().color(green.foregroundRole()), QColor(0, 255, 0));
  ExpectFont(green, "MS Sans Serif", 12, true);
  const auto& password = program.Find<QLineEdit>(login, "txtPassword");
  EXPECT_EQ(password.echoMode(), QLineEdit::Password);
  EXPECT_EQ(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
            '*');
  EXPECT_EQ(QApplication::focusWidget() == &password || login->focusWidget() == &password, true)
      << "the caret starts in the password box";

  program.Later([&] {
    QWidget* change = program.Password();
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->windowTitle(), "Change Password");
    EXPECT_EQ(ClientSize(change), QSize(337, 113));
    ExpectPlaced(program, change,
                 {{"Label1", {8, 24, 89, 17}},
                  {"Label2", {8, 56, 89, 17}},
                  {"txtPassword", {72, 16, 257, 25}},
                  {"txtConfirm", {72, 48, 257, 25}},
                  {"cmdSavePassword", {232, 80, 97, 25}}});
    EXPECT_TRUE(change->isModal());
    change->close();
  });
  program.Menu("mmuPassword");
  EXPECT_EQ(program.Password(), nullptr);
}

}  // namespace
