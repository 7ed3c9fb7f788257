// Start-up: the first run, ordinary starts, and starts where something is missing or fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "file_permissions.h"
#include "program.h"

namespace {

using fakes::Program;
using ui::FormId;
using ui::WindowState;

// As the program wrote its entries before it wrote each one's IPv6 line as well.
constexpr std::string_view kTwoEntries =
    "127.0.0.1 \tads.example.com ads.example.com.\r\n#127.0.0.1 \tnews.example.org "
    "news.example.org.";

TEST(StartUp, FirstRunKeepsTheWindowOnScreenWithAnEmptyListAndTurnsTheFlagOff) {
  Program program;
  program.WriteHosts(kTwoEntries);
  program.StartOnScreen();

  auto& view = program.main_view();
  EXPECT_TRUE(view.IsVisible());
  EXPECT_EQ(view.GetWindowState(), WindowState::kNormal);
  EXPECT_TRUE(view.Rows().empty());
  EXPECT_TRUE(program.services.icons.empty());
  EXPECT_NE(program.State().find("firstrun=no"), std::string::npos);
  EXPECT_EQ(program.Hosts(), kTwoEntries);  // untouched until the next Apply
  // The columns exist whatever the hosts file holds.
  ASSERT_EQ(view.columns.size(), 2u);
  EXPECT_EQ(view.columns[0], std::make_pair(std::string("Website"), std::optional<int>(4200)));
  EXPECT_EQ(view.columns[1], std::make_pair(std::string("Status"), std::optional<int>()));
  EXPECT_FALSE(view.add_entry_enabled);
  EXPECT_FALSE(view.restart_notice);
}

TEST(StartUp, EveryOtherStartSendsTheWindowToTheTrayWithTheListAsRead) {
  for (const char* flag : {"no", "True", "TRUE", "yes"}) {
    SCOPED_TRACE(flag);
    Program program;
    program.WriteHosts(kTwoEntries);
    program.WriteState(std::string("[settings]\r\nfirstrun=") + flag + "\r\n");
    program.Start();

    auto& view = program.main_view();
    EXPECT_FALSE(view.IsVisible());
    EXPECT_EQ(view.GetWindowState(), WindowState::kMinimized);
    EXPECT_EQ(view.Rows(),
              (std::vector<std::string>{"ads.example.com\tBlocked", "news.example.org\tAllowed"}));
    ASSERT_EQ(program.services.icons.size(), 1u);
    const ui::TrayRecord& icon = program.services.icons.begin()->second;
    EXPECT_EQ(icon.cbSize, 88u);
    EXPECT_EQ(icon.uID, 1u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.hIcon, fakes::kIcon);
    EXPECT_EQ(std::string(icon.szTip.data()), "Tamborelle Rir Avadera");
    EXPECT_EQ(icon.szTip.back(), ' ');
    // Shown and repainted before it is minimised, and hidden only then.
    EXPECT_EQ(program.log, (fakes::Log{"main.show", "main.show", "main.refresh", "tray add",
                                       "main.minimized", "main.hide"}));
  }
}

TEST(StartUp, TheFirstApplyOverAnOlderFileGivesEachEntryItsIpv6Line) {
  Program program;
  program.WriteHosts(kTwoEntries);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start();
  program.LogIn("");
  program.Main().imgApply_Click();
  EXPECT_EQ(
      program.Hosts(),
      "127.0.0.1 \tads.example.com ads.example.com.\r\n::1 \tads.example.com ads.example.com.\r\n"
      "#127.0.0.1 \tnews.example.org news.example.org.\r\n#::1 \tnews.example.org "
      "news.example.org.");
  EXPECT_EQ(program.main_view().Rows(),
            (std::vector<std::string>{"ads.example.com\tBlocked", "news.example.org\tAllowed"}));
}

TEST(StartUp, WithoutAStateFileTheStartIsOrdinaryAndTheEmptyPasswordOpensTheWindow) {
  Program program;
  program.Start();
  EXPECT_FALSE(program.main_view().IsVisible());

  program.LogIn("");
  EXPECT_TRUE(program.main_view().IsVisible());
  EXPECT_EQ(program.main_view().GetWindowState(), WindowState::kNormal);
  EXPECT_FALSE(program.Loaded(FormId::kLogin));
}

#ifndef _WIN32
TEST(StartUp, AFirstRunFlagThatCannotBeTurnedOffIsReportedAndTheListKept) {
  Program program;
  program.WriteHosts(kTwoEntries);
  program.WriteState("[settings]\r\nfirstrun=true\r\n");
  testsupport::ReadOnlyFolder locked(program.folder.path().string());
  program.Start();

  ASSERT_EQ(program.services.boxes.size(), 1u);
  const fakes::ShownBox& box = program.services.boxes[0];
  EXPECT_EQ(box.icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(box.caption, "Tamborelle Rir Avadera");
  EXPECT_NE(box.text.find(program.state_path), std::string::npos);
  EXPECT_NE(box.text.find("Permission denied"), std::string::npos);
  EXPECT_EQ(program.main_view().Rows().size(), 2u);
  EXPECT_TRUE(program.main_view().IsVisible());
  EXPECT_NE(program.State().find("firstrun=true"), std::string::npos);
}
#endif

TEST(StartUp, AnUnreadableHostsFileIsReportedOnceTheWindowIsUpAndNeverWrittenOver) {
  Program program;
  std::filesystem::create_directory(program.hosts_path);  // cannot be read as a file
  program.StartOnScreen();

  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_NE(program.services.boxes[0].text.find(program.hosts_path), std::string::npos);
  EXPECT_LT(std::find(program.log.begin(), program.log.end(), "main.show"),
            std::find_if(program.log.begin(), program.log.end(),
                         [](const std::string& entry) { return entry.starts_with("box:"); }));

  program.AddWebsite("example.com");
  program.Main().imgApply_Click();
  program.Main().cmdApply_Click();
  EXPECT_EQ(program.BoxesWith("not written over"), 2u);  // at every Apply
  EXPECT_FALSE(program.main_view().restart_notice);
  EXPECT_TRUE(std::filesystem::is_directory(program.hosts_path));
}

#ifndef _WIN32
TEST(StartUp, AnApplyCutShortIsFinishedFromItsJournalAndTheUserToldOnce) {
  Program program;
  const std::string finished =
      "127.0.0.1 \tads.example.com ads.example.com.\r\n::1 \tads.example.com ads.example.com.\r\n"
      "127.0.0.1 \tnew.example.com new.example.com.\r\n::1 \tnew.example.com new.example.com.";
  program.WriteHosts(finished.substr(0, finished.size() - 20));  // torn by a crash
  testsupport::WriteBytes(program.hosts_path + ".rir-journal", finished);
  program.WriteState("[settings]\r\nfirstrun=no\r\n");
  program.Start();
  EXPECT_EQ(program.Hosts(), finished);
  EXPECT_EQ(program.main_view().Rows(),
            (std::vector<std::string>{"ads.example.com\tBlocked", "new.example.com\tBlocked"}));
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_NE(program.services.boxes[0].text.find(program.hosts_path + ".rir-journal"),
            std::string::npos);
  EXPECT_NE(program.services.boxes[0].text.find("finished"), std::string::npos);

  program.LogIn("");
  EXPECT_EQ(program.services.boxes.size(), 1u) << "told once";
}
#endif

TEST(StartUp, WithoutANotificationAreaTheLoginWindowStandsInForTheIcon) {
  Program program;
  program.services.has_notification_area = false;
  program.WriteState("[settings]\r\npwd=secret\r\n");
  program.Start();

  EXPECT_FALSE(program.main_view().IsVisible());
  EXPECT_TRUE(program.services.icons.empty());
  ASSERT_TRUE(program.Loaded(FormId::kLogin));
  EXPECT_TRUE(program.views.login->IsVisible());

  // Gone after a wrong attempt, it comes back when the program is started again.
  program.views.login->password = "wrong";
  program.app().Login().cmdLogin_Click();
  EXPECT_FALSE(program.Loaded(FormId::kLogin));
  EXPECT_EQ(program.services.ends, 0);
  program.app().AnotherCopyStarted();
  EXPECT_TRUE(program.views.login->IsVisible());
  program.views.login->password = "secret";
  program.app().Login().cmdLogin_Click();
  EXPECT_TRUE(program.main_view().IsVisible());
}

TEST(StartUp, ASecondStartOpensTheLoginWindowOfTheRunningCopy) {
  Program program;
  program.Start();
  program.log.clear();
  program.app().AnotherCopyStarted();
  // Window state first, then the foreground, then shown.
  EXPECT_EQ(program.log, (fakes::Log{"login.normal", "foreground login", "login.show"}));
}

}  // namespace
