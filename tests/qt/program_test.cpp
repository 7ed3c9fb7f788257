// What only the Linux program does, through its real Qt widgets: a desktop without a
// notification area (where closing the login window ends the program), Enter on a focused
// button, the icon's picture and a second start. The scenarios both programs share are in
// tests/scenarios/.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "qt_program.h"
#include "single_copy.h"

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
  EXPECT_TRUE(program.boxes.empty());
  EXPECT_EQ(program.Hosts(), "127.0.0.1 \tlate.org\n::1 \tlate.org\n") << "applied as Exit does";
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
  program.WriteHosts("# kept\n127.0.0.1 \told.com\n::1 \told.com\n");
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

}  // namespace
