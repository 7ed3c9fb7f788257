// What only the Linux program does, through its real Qt widgets: a desktop
// without a notification area (where closing the login window ends the
// program), Enter on a focused button, the icon's picture and a second start.
// The scenarios both programs share are in tests/scenarios/.
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "hosts_lines.h"
#include "private_mount.h"
#include "qt_program.h"
#include "services.h"
#include "single_copy.h"
#include "ui/main/main_form.h"

namespace {

using qttest::QtProgram;

TEST(QtProgram, WithoutANotificationAreaTheLoginWindowStandsIn) {
  QtProgram program(/*notification_area=*/false);
  program.Start(/*first_run=*/false);
  EXPECT_FALSE(program.Main()->isVisible());
  EXPECT_EQ(program.services().tray_icon(), nullptr);
  ASSERT_NE(program.Login(), nullptr);
  EXPECT_TRUE(program.Login()->isVisible());
}

TEST(QtProgram, WithoutANotificationAreaClosingTheLoginWindowEndsTheProgram) {
  QtProgram program(/*notification_area=*/false);
  program.Start(/*first_run=*/true);
  program.TypeIn(testsupport::Window::kMain, "txtWebsite", "late.org");
  program.PressEnterIn(testsupport::Window::kMain, "txtWebsite");
  program.CloseWithCloseBox(testsupport::Window::kMain);
  ASSERT_TRUE(program.Shown(testsupport::Window::kLogin));
  program.CloseWithCloseBox(testsupport::Window::kLogin);
  EXPECT_TRUE(program.boxes.empty()) << "closing asks nothing";
  EXPECT_EQ(program.Hosts(), testsupport::AddedLines("late.org")) << "applied as Exit does";
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
}

TEST(QtProgram, WithoutANotificationAreaTheLoginWindowStaysWhenTheUserStays) {
  QtProgram program(/*notification_area=*/false);
  program.hosts_path = program.folder.File("gone") + "/hosts";
  program.Start(/*first_run=*/false);
  program.answers = {ui::MsgBoxResult::kNo};
  program.CloseWithCloseBox(testsupport::Window::kLogin);
  ASSERT_EQ(program.boxes.size(), 1u);
  EXPECT_TRUE(program.boxes[0].text.ends_with(". Exit anyway?")) << program.boxes[0].text;
  EXPECT_TRUE(program.Shown(testsupport::Window::kLogin));
  EXPECT_FALSE(program.ProgramEnded());

  program.answers = {ui::MsgBoxResult::kYes};
  program.CloseWithCloseBox(testsupport::Window::kLogin);
  EXPECT_FALSE(program.app().AnyLoaded());
  EXPECT_TRUE(program.ProgramEnded());
}

TEST(QtProgram, EnterPressesTheFocusedButtonOffScreen) {
  QtProgram program;
  program.WriteHosts("# kept\n127.0.0.1 \told.com old.com.\n::1 \told.com old.com.\n");
  program.Start(/*first_run=*/true);
  auto& preview = program.Find<QPushButton>(program.Main(), "Command3");
  preview.setFocus();
  QTest::keyClick(&preview, Qt::Key_Return);
  EXPECT_EQ(program.Find<QPlainTextEdit>(program.Main(), "txtExport").toPlainText(), "# kept\n");
}

TEST(QtProgram, TheTrayIconShowsTheProgramsPicture) {
  QtProgram program;
  program.Start(/*first_run=*/false);
  ASSERT_NE(program.services().tray_icon(), nullptr);
  EXPECT_FALSE(program.services().tray_icon()->icon().isNull());
}

// A StatusNotifierItem host asks for one activation on a click, and nothing else opens the
// login window there; an embedding tray reports single and double clicks as they are.
TEST(QtProgram, AStatusNotifierActivationOpensAsADoubleClickDoes) {
  using qtfront::TrayKind;
  EXPECT_EQ(qtfront::TrayMouseMessage(QSystemTrayIcon::Trigger, TrayKind::kStatusNotifier),
            ui::kTrayLeftDoubleClick);
  EXPECT_NE(qtfront::TrayMouseMessage(QSystemTrayIcon::Trigger, TrayKind::kEmbedded),
            ui::kTrayLeftDoubleClick);
  EXPECT_EQ(qtfront::TrayMouseMessage(QSystemTrayIcon::DoubleClick, TrayKind::kEmbedded),
            ui::kTrayLeftDoubleClick);
  EXPECT_NE(qtfront::TrayMouseMessage(QSystemTrayIcon::Context, TrayKind::kStatusNotifier),
            ui::kTrayLeftDoubleClick);
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

TEST(SingleCopyName, IsTheSameForTheSameUserAndFolderAndDiffersOtherwise) {
  testsupport::TempFolder folder;
  const std::string etc = folder.File("etc");
  const std::string other = folder.File("other");
  std::filesystem::create_directory(etc);
  std::filesystem::create_directory(other);
  const QString name = qtfront::SingleCopy::NameFor(1000, etc);
  EXPECT_EQ(qtfront::SingleCopy::NameFor(1000, etc), name);
  EXPECT_NE(qtfront::SingleCopy::NameFor(1001, etc), name);
  EXPECT_NE(qtfront::SingleCopy::NameFor(1000, other), name);
  EXPECT_NE(qtfront::SingleCopy::NameFor(100, etc), qtfront::SingleCopy::NameFor(10, etc))
      << "the user's number must not run into the folder's part";
  // A socket's path holds at most 107 bytes, and the temporary folder comes
  // before the name.
  EXPECT_LE(qtfront::SingleCopy::NameFor(4294967294UL, etc).size(), 60);
}

TEST(SingleCopyName, TellsAFolderMountedOverTheSamePathFromTheOneBeneath) {
  testsupport::TempFolder folder;
  const std::string etc = folder.File("etc");
  std::filesystem::create_directory(etc);
  const QString beneath = qtfront::SingleCopy::NameFor(1000, etc);
  const int code = testsupport::InPrivateMounts([&] {
    if (!testsupport::MountSmallDisk(etc, 1 << 16)) {
      return 2;
    }
    return qtfront::SingleCopy::NameFor(1000, etc) != beneath ? 0 : 1;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0) << "a sandbox's overlay on /etc would take the real copy's name";
}

TEST(SingleCopyName, FindsTheUserOutsideAUserNamespace) {
  using qtfront::RealUser;
  // Root inside `unshare --map-root-user`, run by 1000: both ids are the
  // namespace's names.
  EXPECT_EQ(RealUser({.login_uid = "0", .uid_map = "         0       1000          1\n", .uid = 0}),
            1000u);
  EXPECT_EQ(RealUser({.login_uid = "4294967295", .uid_map = "0 1000 1\n", .uid = 0}), 1000u);
  // Root for a desktop user: the session's login id, else the launcher's
  // variable.
  const std::string all = "         0          0 4294967295\n";
  EXPECT_EQ(RealUser({.login_uid = "1000", .uid_map = all, .launcher_uid = "1001", .uid = 0}),
            1000u);
  EXPECT_EQ(RealUser({.login_uid = "4294967295", .uid_map = all, .launcher_uid = "1001", .uid = 0}),
            1001u);
  EXPECT_EQ(RealUser({.login_uid = "4294967295", .uid_map = all, .uid = 0}), 0u);
  EXPECT_EQ(RealUser({.login_uid = "", .uid_map = "", .launcher_uid = "x", .uid = 1002}), 1002u);
}

TEST(SingleCopyName, NamesTheSameUserInsideAUserNamespaceAsOutside) {
  // A child that is not root (root first becomes nobody) enters a user
  // namespace in which it is root, as scripts/sandbox does, and must find the
  // user it was outside.
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::unsetenv("PKEXEC_UID");
    ::unsetenv("SUDO_UID");
    if (::getuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
          ::setresuid(65534, 65534, 65534) != 0) {
        _exit(77);
      }
      // A changed user leaves the process's /proc files to root, uid_map among
      // them.
      ::prctl(PR_SET_DUMPABLE, 1);
    }
    const uid_t outside = ::getuid();
    if (::unshare(CLONE_NEWUSER) != 0) {
      _exit(77);
    }
    std::ofstream("/proc/self/setgroups") << "deny";
    if (!(std::ofstream("/proc/self/uid_map") << "0 " << outside << " 1").flush()) {
      _exit(77);
    }
    const bool root_inside = ::getuid() == 0;
    _exit(root_inside && qtfront::RealUser(qtfront::EvidenceOfThisProcess()) == outside ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) {
    GTEST_SKIP() << "no user namespace can be made here";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
