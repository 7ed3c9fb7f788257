// The check of the blocks after an Apply and from "Check Blocking...": the blocked names go to
// the check, and the user hears about those that still lead elsewhere, or that all are blocked
// when the user asked; and the warning about a browser that goes past the hosts file.
#include <gtest/gtest.h>

#include <filesystem>

#include "policies_in_force.h"
#include "program.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace {

using fakes::Program;
using Names = std::vector<std::string>;

// On screen, with two blocked websites and an allowed one in the list, each followed by its www
// name, blocked (the question whether to allow that one too answered No); the boxes are gone.
struct Checking : Program {
  Checking() {
    StartOnScreen();
    AddWebsite("a.example");
    AddWebsite("leaky.example");
    AddWebsite("allowed.example");
    services.answers.push_back(ui::MsgBoxResult::kNo);
    Main().mmuAllow_Click();  // the one just added stays selected
    services.boxes.clear();
  }
};

TEST(CheckBlocking, AnApplyChecksTheBlockedNamesAndListsOnlyThoseThatLeak) {
  Checking program;
  program.Main().imgApply_Click();
  ASSERT_EQ(program.services.checks.size(), 1u);
  EXPECT_EQ(program.services.checks[0].first,
            (Names{"a.example", "www.a.example", "leaky.example", "www.leaky.example",
                   "www.allowed.example", "m.allowed.example", "mobile.allowed.example",
                   "m.leaky.example", "mobile.leaky.example", "m.a.example", "mobile.a.example"}))
      << "allowed names are not looked up; the mobile names of the sites, the last added first";
  EXPECT_EQ(program.services.checks[0].second, program.hosts_path);
  EXPECT_TRUE(program.services.boxes.empty()) << "good news after an Apply is not told";
  EXPECT_TRUE(program.services.choices.empty());

  program.services.leaking = {"leaky.example"};
  program.services.picks.emplace_back();  // Close
  program.Main().imgApply_Click();
  ASSERT_EQ(program.services.choices.size(), 1u);
  const fakes::ShownChoice& shown = program.services.choices[0];
  EXPECT_EQ(shown.title, "Check Blocking");
  EXPECT_EQ(shown.owner, fakes::kMainHandle);
  EXPECT_TRUE(shown.choose_button.empty()) << "a list only to be read";
  EXPECT_EQ(shown.cancel_button, "Close");
  EXPECT_EQ(shown.columns, (Names{"Website", "For", "Leads to", "Why"}));
  ASSERT_EQ(shown.rows.size(), 1u);
  EXPECT_EQ(
      shown.rows[0],
      (Names{"leaky.example", "IPv6", "2001:db8::1",
             std::string(blockcheck::LeakReasonText(blockcheck::LeakReason::kFileNotConsulted))}));
  EXPECT_TRUE(shown.prompt.starts_with("The system's resolver does not read the hosts file"))
      << "the cause found comes first: " << shown.prompt;
  EXPECT_NE(shown.prompt.find(" 1 look-up of a blocked website does not"), std::string::npos);
}

TEST(CheckBlocking, ALongListsResultSaysWhatWasJudgedFromTheFileAndWhatHoldsForAll) {
  Checking program;
  program.services.summary = {
      .looked_up = 32,
      .judged = 99'968,
      .findings = {{blockcheck::LeakReason::kCachedAnswer, blockcheck::AddressFamily::kIpv4,
                    100'000, "a.example", "93.184.216.34"}}};
  program.services.picks.emplace_back();  // Close
  program.Main().mmuCheckBlocking_Click();
  ASSERT_EQ(program.services.choices.size(), 1u);
  const fakes::ShownChoice& shown = program.services.choices[0];
  EXPECT_EQ(shown.rows.at(0).at(0), "a.example and 99,999 other blocked names");
  EXPECT_NE(shown.prompt.find("32 names were looked up through the system's resolver, and "
                              "99,968 blocked websites judged from the hosts file"),
            std::string::npos)
      << shown.prompt;
}

TEST(CheckBlocking, TheMenuSaysWhenEveryNameIsBlockedAndWhenThereIsNothingToCheck) {
  Checking program;
  program.Main().mmuCheckBlocking_Click();
  EXPECT_EQ(program.services.checks.size(), 1u);
  EXPECT_EQ(program.BoxesWith(ui::AllBlockedText(5)), 1u);
  EXPECT_NE(ui::AllBlockedText(2).find("All 2 blocked websites"), std::string::npos);

  program.Main().mmuClearAll_Click();
  program.Main().mmuCheckBlocking_Click();
  EXPECT_EQ(program.services.checks.size(), 1u) << "no names, no check";
  EXPECT_EQ(program.BoxesWith(ui::kNothingToCheck), 1u);
}

TEST(CheckBlocking, ACancelledCheckShowsWhatItFoundAndSaysItWasStopped) {
  Checking program;
  program.services.leaking = {"a.example", "leaky.example"};
  program.services.cancel_after = 2;      // a.example, both families, then Cancel
  program.services.picks.emplace_back();  // Close
  program.Main().mmuCheckBlocking_Click();
  ASSERT_FALSE(program.services.progress_texts.empty());
  EXPECT_NE(program.services.progress_texts[0].find("2 of 22"), std::string::npos)
      << program.services.progress_texts[0];
  ASSERT_EQ(program.services.choices.size(), 1u);
  EXPECT_EQ(program.services.choices[0].rows.size(), 1u) << "only what was looked up";
  EXPECT_NE(program.services.choices[0].prompt.find("stopped after 2 of 22"), std::string::npos)
      << program.services.choices[0].prompt;

  // Stopped before anything leaked, the check proves nothing and says nothing.
  program.services.leaking = {"leaky.example"};
  program.Main().mmuCheckBlocking_Click();
  EXPECT_EQ(program.services.choices.size(), 1u);
  EXPECT_TRUE(program.services.boxes.empty());
}

TEST(CheckBlocking, AnApplyThatWroteNothingChecksNothing) {
  Checking program;
  program.WriteHosts("10.0.0.1 nas\n");  // another program's edit since the load
  program.services.answers.push_back(ui::MsgBoxResult::kNo);
  program.Main().imgApply_Click();
  EXPECT_EQ(program.services.boxes.size(), 1u) << "the question whether to load it again";
  EXPECT_TRUE(program.services.checks.empty());
}

// A Firefox profile whose own setting sends every look-up over HTTPS: kept to the hosts file by
// the policy an Apply sets (Linux; the Windows build's policies are the registry's), told beneath
// the notice and in the check's part "Browsers" once the browsers are left alone.
TEST(BrowserWarning, TheCheckTellsEachBrowserAndTheNoticeTheOneThatGoesAround) {
  Checking program;
  const std::string firefox = program.folder.File("firefox");
  std::filesystem::create_directories(firefox + "/p");
  testsupport::WriteBytes(firefox + "/profiles.ini", "[Profile0]\nName=default-release\nPath=p\n");
  testsupport::WriteBytes(firefox + "/p/prefs.js", "user_pref(\"network.trr.mode\", 3);\n");
  program.services.browser_places.firefox_folders = {firefox};
#ifndef _WIN32
  program.services.browser_places.policies =
      browserpolicy::PolicyPlacesOf(program.folder.path().string());
  program.Main().imgApply_Click();
  EXPECT_TRUE(program.main_view().browser_warning.empty());
  program.Main().mmuCheckBlocking_Click();
  EXPECT_NE(
      program.services.boxes.back().text.find(
          "Firefox uses the hosts file: a policy of this computer turns its DNS over HTTPS off."),
      std::string::npos);
  program.Main().mmuBrowserSettings_Click();
#else
  program.services.browser_places.policies = {"SOFTWARE\\RirAvaderaTest\\NoPolicies"};
  program.Main().imgApply_Click();
#endif
  EXPECT_EQ(program.main_view().browser_warning,
            "Firefox may go around the block: see Check Blocking.");
  // Asked, the check shows its list for the browser alone, under its heading.
  program.services.picks.push_back({});
  program.Main().mmuCheckBlocking_Click();
  ASSERT_FALSE(program.services.choices.empty());
  const auto& rows = program.services.choices.back().rows;
  ASSERT_GE(rows.size(), 2U);
  EXPECT_EQ(rows[rows.size() - 2][0], "Browsers");
  EXPECT_EQ(rows.back(),
            (std::vector<std::string>{"Firefox (default-release)", "", "its own DNS",
                                      "its own setting sends look-ups over HTTPS only"}));
}

}  // namespace

#ifndef _WIN32
// An Apply that blocks sets the browsers' policies (beside a build tree's program, beneath its
// own folder); "Leave Browser Settings Alone" takes them back and is checked; chosen again, they
// return; allowing the last block takes them away.
TEST(BrowserSettings, FollowTheBlocksUnlessLeftAlone) {
  Checking program;
  const auto places = browserpolicy::PolicyPlacesOf(program.folder.path().string());
  const auto kept_off = [&places] { return testsupport::PoliciesKeptOff(places); };
  auto& main = program.Main();
  main.imgApply_Click();
  EXPECT_EQ(kept_off(), 5U);
  EXPECT_FALSE(program.main_view().browsers_left_alone);
  main.mmuBrowserSettings_Click();
  EXPECT_TRUE(program.main_view().browsers_left_alone);
  EXPECT_EQ(program.BoxesWith(std::string(ui::kBrowsersLeftAlone)), 1U);
  EXPECT_EQ(kept_off(), 0U);
  main.imgApply_Click();
  EXPECT_EQ(kept_off(), 0U);
  main.mmuBrowserSettings_Click();
  EXPECT_FALSE(program.main_view().browsers_left_alone);
  EXPECT_EQ(kept_off(), 5U);
  main.mmuClearAll_Click();
  main.imgApply_Click();
  EXPECT_EQ(kept_off(), 0U);
}
#endif
