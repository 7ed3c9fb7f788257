// What only the Linux program does, through its real Qt widgets: a desktop without a
// notification area, Enter on a focused button, the icon's picture and a second start. The
// scenarios both programs share are in tests/scenarios/.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

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

}  // namespace
