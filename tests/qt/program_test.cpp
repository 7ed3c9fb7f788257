// The Linux program driven as a user drives it, through its real Qt widgets: editing and
// applying the list, the tray and the login, closing, exit, the password change, the
// uninstaller, a second start and a list of a million entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "qt_program.h"
#include "single_copy.h"
#include "ui/main/main_form.h"

namespace {

using qttest::QtProgram;

TEST(QtProgram, AddsEditsAndAppliesThroughTheWindow) {
  QtProgram program;
  program.WriteHosts("# kept\n127.0.0.1 \told.com\n");
  program.Start(/*first_run=*/true);
  QWidget* main = program.Main();
  ASSERT_TRUE(main && main->isVisible());
  EXPECT_TRUE(program.Rows().empty()) << "the first run empties the list";

  auto& add_entry = program.Find<QPushButton>(main, "cmdAddEntry");
  program.Type(main, "txtWebsite", " ");
  EXPECT_TRUE(add_entry.isEnabled()) << "blanks count as text";
  program.Type(main, "txtWebsite", "");
  EXPECT_FALSE(add_entry.isEnabled());

  program.Type(main, "txtWebsite", "example.com");
  program.PressEnter(main, "txtWebsite");
  program.Type(main, "txtWebsite", "b.org");
  program.Click(main, "cmdAddEntry");
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"example.com\tBlocked", "b.org\tBlocked"}));
  EXPECT_EQ(program.SelectedRow(), 1);
  EXPECT_EQ(program.Find<QLineEdit>(main, "txtWebsite").text(), "");
  EXPECT_FALSE(add_entry.isEnabled());

  program.ClickPicture("imgAllow");
  EXPECT_EQ(program.Rows()[1], "b.org\tAllowed");
  // The user clicks the first row in the list itself.
  auto& list = program.Find<QTreeView>(main, "lvwWebsites");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualRect(list.model()->index(0, 0)).center());
  EXPECT_EQ(program.SelectedRow(), 0);
  program.Menu("mmuAllow");
  program.ClickPicture("imgBlock");
  EXPECT_EQ(program.Rows()[0], "example.com\tBlocked");
  program.Menu("mmuRemoveSite");
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"b.org\tAllowed"}));

  program.Type(main, "txtWebsite", "b.org");
  program.PressEnter(main, "txtWebsite");
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].text, "This entry already exists!");
  EXPECT_EQ(program.boxes[0].caption, "Tamborelle Rir Avadera");
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(program.Rows().size(), 1u);

  const auto& notice = program.Find<QLabel>(main, "lblMessage");
  EXPECT_FALSE(notice.isVisible());
  program.ClickPicture("imgApply");
  EXPECT_EQ(program.Hosts(), "# kept\n#127.0.0.1 \tb.org\n");
  EXPECT_TRUE(notice.isVisible());

  program.Menu("mmuClearAll");
  program.Menu("mmuSupport");
  program.Menu("mmuAbout");
  EXPECT_TRUE(program.Rows().empty());
  // Enter presses the focused button, off screen as it is.
  auto& preview = program.Find<QPushButton>(main, "Command3");
  preview.setFocus();
  QTest::keyClick(&preview, Qt::Key_Return);
  EXPECT_EQ(program.Find<QPlainTextEdit>(main, "txtExport").toPlainText(), "# kept\n");
  program.Menu("cmdApply");
  EXPECT_EQ(program.Hosts(), "# kept\n");
  EXPECT_EQ(program.boxes.size(), 1u);
}

TEST(QtProgram, TrayDoubleClickAndLogin) {
  QtProgram program;
  program.WriteHosts("127.0.0.1 \tkept.com\n");
  program.Start(/*first_run=*/false);
  QWidget* main = program.Main();
  EXPECT_FALSE(main->isVisible()) << "later runs start in the tray";
  QSystemTrayIcon* icon = program.services().tray_icon();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), "Tamborelle Rir Avadera");
  EXPECT_FALSE(icon->icon().isNull());

  emit icon->activated(QSystemTrayIcon::Trigger);
  emit icon->activated(QSystemTrayIcon::Context);
  EXPECT_EQ(program.Login(), nullptr) << "single and right clicks do nothing";

  program.DoubleClickTray();
  QWidget* login = program.Login();
  ASSERT_NE(login, nullptr);
  EXPECT_TRUE(login->isVisible());
  program.Type(login, "txtPassword", "guess");
  program.PressEnter(login, "txtPassword");
  EXPECT_EQ(program.Login(), nullptr) << "one attempt, then the window unloads";
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_EQ(program.boxes[0].text, "Password is incorrect");
  EXPECT_EQ(program.boxes[0].icon, ui::MsgBoxIcon::kNone);
  EXPECT_FALSE(main->isVisible());

  program.DoubleClickTray();
  login = program.Login();
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(program.Find<QLineEdit>(login, "txtPassword").text(), "") << "a fresh window";
  program.Click(login, "cmdLogin");  // no password is set: the empty entry is right
  EXPECT_EQ(program.Login(), nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(program.app().Main().view().GetWindowState(), ui::WindowState::kNormal);
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"kept.com\tBlocked"}));
  EXPECT_NE(program.services().tray_icon(), nullptr) << "the icon stays after a restore";
}

TEST(QtProgram, WithoutANotificationAreaTheLoginWindowStandsIn) {
  QtProgram program(/*notification_area=*/false);
  program.Start(/*first_run=*/false);
  EXPECT_FALSE(program.Main()->isVisible());
  EXPECT_EQ(program.services().tray_icon(), nullptr);
  ASSERT_NE(program.Login(), nullptr);
  EXPECT_TRUE(program.Login()->isVisible());
}

TEST(QtProgram, CloseGoesToTheTrayAndExitWritesTheList) {
  QtProgram program;
  program.WriteHosts("");
  program.Start(/*first_run=*/true);
  QWidget* main = program.Main();
  program.Type(main, "txtWebsite", "late.org");
  program.PressEnter(main, "txtWebsite");

  main->close();  // the close box
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(program.app().Main().view().GetWindowState(), ui::WindowState::kMinimized);
  ASSERT_NE(program.services().tray_icon(), nullptr);
  EXPECT_FALSE(program.services().program_ended());
  EXPECT_EQ(program.Hosts(), "") << "closing applies nothing";

  program.answers = {ui::MsgBoxResult::kNo};
  main->close();  // while in the tray
  ASSERT_EQ(program.BoxesWith("Exit Tamborelle Rir Avadera?"), 1u);
  EXPECT_EQ(program.boxes.back().caption, "Exit");
  EXPECT_EQ(program.boxes.back().buttons, ui::MsgBoxButtons::kYesNo);
  EXPECT_EQ(program.boxes.back().icon, ui::MsgBoxIcon::kQuestion);
  EXPECT_TRUE(program.app().IsLoaded(ui::FormId::kMain));

  program.DoubleClickTray();
  program.Click(program.Login(), "cmdLogin");
  ASSERT_TRUE(main->isVisible());
  program.Menu("mmuExit");
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tlate.org\n");
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.services().program_ended());
  EXPECT_EQ(program.services().tray_icon(), nullptr) << "the icon goes with the main window";
}

TEST(QtProgram, ConfirmedCloseFromTheTrayEndsWithoutWriting) {
  QtProgram program;
  program.WriteHosts("127.0.0.1 \ta.com\n");
  program.Start(/*first_run=*/false);
  program.answers = {ui::MsgBoxResult::kYes};
  program.Main()->close();
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.services().program_ended());
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \ta.com\n");
}

TEST(QtProgram, ChangesThePasswordInItsModalWindow) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  program.Later([&] {
    QWidget* change = program.Password();
    ASSERT_NE(change, nullptr);
    EXPECT_TRUE(change->isVisible());
    program.Type(change, "txtPassword", "Open Sesame");
    program.Type(change, "txtConfirm", "open sesame");
    program.Click(change, "cmdSavePassword");
  });
  program.Menu("mmuPassword");  // returns once the window has unloaded
  EXPECT_EQ(program.Password(), nullptr);
  EXPECT_EQ(program.BoxesWith("The passwords do not match!"), 1u);

  program.Later([&] {
    QWidget* change = program.Password();
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(program.Find<QLineEdit>(change, "txtPassword").text(), "");
    program.Type(change, "txtPassword", "Open Sesame");
    program.Type(change, "txtConfirm", "Open Sesame");
    program.Click(change, "cmdSavePassword");
  });
  program.Menu("mmuPassword");
  EXPECT_EQ(program.BoxesWith("Password Succesfully changed!"), 1u);

  program.Main()->close();
  program.DoubleClickTray();
  program.Type(program.Login(), "txtPassword", "Open Sesame");
  program.PressEnter(program.Login(), "txtPassword");
  EXPECT_TRUE(program.Main()->isVisible());
  EXPECT_EQ(program.BoxesWith("Password is incorrect"), 0u);
}

TEST(QtProgram, RestoresAKeptHostsFileThroughItsChooser) {
  QtProgram program;
  const std::string original = "# kept\n127.0.0.1 \told.com\n";
  program.WriteHosts(original);
  program.Start(/*first_run=*/true);
  program.Menu("cmdApply");  // the first run emptied the list: only the comment stays
  ASSERT_EQ(program.Hosts(), "# kept\n");
  QWidget* main = program.Main();
  auto& notice = program.Find<QLabel>(main, "lblMessage");
  notice.hide();  // to see the restore show it again

  // Cancel leaves everything as it was.
  program.InChooser([&](QWidget& chooser) {
    EXPECT_EQ(chooser.windowTitle(), "Restore Hosts File");
    EXPECT_TRUE(chooser.isModal());
    EXPECT_EQ(chooser.parentWidget(), main);
    const auto& list = program.Find<QTreeWidget>(&chooser, "lvwChoices");
    EXPECT_EQ(list.headerItem()->text(0), "Date");
    EXPECT_EQ(list.headerItem()->text(3), "Entries");
    const std::vector<std::string> rows = program.ChooserRows(chooser);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].ends_with("\t26 bytes\t1")) << rows[0];
    program.Click(&chooser, "cmdCancel");
  });
  program.Menu("mmuRestore");
  EXPECT_EQ(program.Hosts(), "# kept\n");
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_FALSE(notice.isVisible());

  // The user clicks the copy and Restore.
  program.InChooser([&](QWidget& chooser) {
    auto& list = program.Find<QTreeWidget>(&chooser, "lvwChoices");
    list.clearSelection();
    EXPECT_FALSE(program.Find<QPushButton>(&chooser, "cmdChoose").isEnabled());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.topLevelItem(0)).center());
    program.Click(&chooser, "cmdChoose");
  });
  program.Menu("mmuRestore");
  EXPECT_EQ(program.Hosts(), original);
  EXPECT_EQ(program.Rows(), (std::vector<std::string>{"old.com\tBlocked"}));
  EXPECT_TRUE(notice.isVisible());

  // The text the restore replaced is the newest copy now, and Enter restores it.
  program.InChooser([&](QWidget& chooser) {
    const std::vector<std::string> rows = program.ChooserRows(chooser);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].ends_with("\t7 bytes\t0")) << rows[0];
    QTest::keyClick(&program.Find<QTreeWidget>(&chooser, "lvwChoices"), Qt::Key_Return);
  });
  program.Menu("mmuRestore");
  EXPECT_EQ(program.Hosts(), "# kept\n");
  EXPECT_TRUE(program.Rows().empty());
  EXPECT_TRUE(program.boxes.empty());
}

TEST(QtProgram, UninstallStartsTheUninstallerBesideTheProgram) {
  QtProgram program;
  program.Start(/*first_run=*/true);
  program.Type(program.Main(), "txtWebsite", "kept.org");
  program.PressEnter(program.Main(), "txtWebsite");

  program.Menu("mmuUninstall");
  ASSERT_EQ(program.BoxesWith("unins000.exe"), 1u) << "a missing uninstaller is told";
  EXPECT_TRUE(program.app().IsLoaded(ui::FormId::kMain));

  // A stand-in uninstaller that leaves a mark.
  const std::string uninstaller = program.folder.File("unins000.exe");
  const std::string mark = program.folder.File("uninstalled");
  testsupport::WriteBytes(uninstaller, "#!/bin/sh\ntouch '" + mark + "'\n");
  chmod(uninstaller.c_str(), 0755);
  program.Menu("mmuUninstall");
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tkept.org\n") << "the list stays in force";
  for (int wait = 0; wait < 100 && !std::filesystem::exists(mark); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(std::filesystem::exists(mark));
}

TEST(QtProgram, ASecondStartOpensTheFirstCopysLoginWindow) {
  const QString name =
      QStringLiteral("rir-avadera-test-%1").arg(QCoreApplication::applicationPid());
  qtfront::SingleCopy first(name);
  ASSERT_TRUE(first.first());
  int asked = 0;
  first.OnAnotherStart([&] { ++asked; });
  {
    qtfront::SingleCopy second(name);
    EXPECT_FALSE(second.first());
  }
  for (int wait = 0; wait < 100 && asked == 0; ++wait) {
    QTest::qWait(10);
  }
  EXPECT_EQ(asked, 1);
}

TEST(QtProgram, AMillionEntriesLoadAndEdit) {
  QtProgram program;
  std::string hosts;
  constexpr int kLines = 1'000'000;
  hosts.reserve(std::size_t{kLines} * 28);
  for (int line = 0; line < kLines; ++line) {
    hosts += "127.0.0.1 \tsite" + std::to_string(line) + ".example\n";
  }
  program.WriteHosts(hosts);
  program.Start(/*first_run=*/false);
  program.DoubleClickTray();
  program.Click(program.Login(), "cmdLogin");
  QWidget* main = program.Main();
  const auto& list = program.Find<QTreeView>(main, "lvwWebsites");
  ASSERT_EQ(list.model()->rowCount(), kLines);
  EXPECT_EQ(list.model()->index(kLines - 1, 0).data().toString(), "site999999.example");

  program.Type(main, "txtWebsite", "new.example");
  program.PressEnter(main, "txtWebsite");
  ASSERT_EQ(list.model()->rowCount(), kLines + 1);
  EXPECT_EQ(program.SelectedRow(), kLines);
  EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(list.model()->index(kLines, 0))))
      << "the new entry is scrolled into view";
  program.Menu("mmuRemoveSite");
  EXPECT_EQ(list.model()->rowCount(), kLines);
  EXPECT_EQ(list.model()->index(kLines - 1, 1).data().toString(), "Blocked");
}

}  // namespace
