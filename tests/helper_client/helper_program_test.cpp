// The program as the desktop user runs it: its windows reach the hosts file and the state file
// only through the real helper, started through its entry point. Each test runs in a private
// mount namespace whose /etc is a small file system of its own, so the helper's system hosts
// file is the test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "child_checks.h"
#include "helper_client/helper_files.h"
#include "hosts_lines.h"
#include "private_mount.h"
#include "program.h"

namespace {

constexpr const char* kHosts = "/etc/hosts";

// The program's folder holds a copy of the helper, whose state file is the one beside it.
struct ProgramWithHelper : fakes::Program {
  std::string helper_path = folder.File("rir-avadera-helper");
  helper_client::HelperFiles files{{helper_path}, state_path};

  ProgramWithHelper() {
    std::filesystem::copy_file(RIR_HELPER, helper_path);
    services.files = &files;
  }
  static std::string SystemHosts() { return testsupport::ReadBytes(kHosts); }
};

TEST(ProgramWithHelper, LogsInAndAppliesThroughTheHelper) {
  ProgramWithHelper program;
  const int code = testsupport::InPrivateMounts([&] {
    testsupport::ChildChecks check;
    if (!testsupport::MountSmallDisk("/etc", 1 << 20)) {
      return 2;
    }
    // A block from before any save through the helper: it keeps no record of it.
    testsupport::WriteBytes(kHosts,
                            "127.0.0.1 localhost\n" + testsupport::BlockedLines("old.example"));
    program.WriteState("[settings]\r\nfirstrun=no\r\npwd=secret\r\n");
    program.Start(kHosts);
    program.LogIn("wrong");
    check(program.BoxesWith("incorrect") == 1, "a wrong password is told");
    check(!program.main_view().IsVisible(), "and lets nobody in");

    program.LogIn("secret");
    check(program.main_view().IsVisible(), "the helper lets the right password in");
    const auto helpers_asked = [&, from = program.services.wait_texts.size()] {
      return std::count_if(program.services.wait_texts.begin() + static_cast<std::ptrdiff_t>(from),
                           program.services.wait_texts.end(),
                           [](const std::string& text) { return text.starts_with("Waiting for"); });
    };
    testsupport::WriteFinished(kHosts, "127.0.0.1 localhost\n");
    for (int look = 0; look < 4; ++look) {
      program.services.Tick();
    }
    check(helpers_asked() == 1,
          "a block the helper cannot put back is asked for once, not at every look");
    program.AddWebsite("site.example");
    program.Main().imgApply_Click();
    check(ProgramWithHelper::SystemHosts() == "127.0.0.1 localhost\n" +
                                                  testsupport::BlockedLines("old.example") +
                                                  testsupport::AddedLines("site.example"),
          "the helper wrote the entries");
    check(program.main_view().restart_notice, "the Apply counts");
    check(testsupport::FilesIn(program.folder.File("history")) == 1,
          "the helper kept the file's earlier text");
    check(program.services.boxes.size() == 1, "nothing else was told but the wrong password");
    check(program.services.flushes == 0, "the helper emptied the caches itself");
    check(program.services.wait_texts.back().starts_with("Waiting for the administrator"),
          "the window said what it waited for");

    // A change that leaves every block in place is judged as the user: no helper is started.
    const std::size_t waits = program.services.wait_texts.size();
    testsupport::WriteFinished(kHosts, ProgramWithHelper::SystemHosts() + "10.0.0.9 vpn\n");
    program.services.Tick();
    check(std::none_of(program.services.wait_texts.begin() + static_cast<std::ptrdiff_t>(waits),
                       program.services.wait_texts.end(),
                       [](const std::string& text) { return text.starts_with("Waiting for"); }),
          "a harmless change asks nothing of the helper");
    testsupport::WriteFinished(kHosts, "127.0.0.1 localhost\n10.0.0.1 nas\n");
    program.services.Tick();
    check(ProgramWithHelper::SystemHosts() == "127.0.0.1 localhost\n10.0.0.1 nas\n" +
                                                  testsupport::BlockedLines("old.example") +
                                                  testsupport::AddedLines("site.example"),
          "the helper put back what another program took out, without the password");
    return check.failures();
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(ProgramWithHelper, AFirstRunSetsThePasswordThroughTheHelper) {
  ProgramWithHelper program;
  const int code = testsupport::InPrivateMounts([&] {
    testsupport::ChildChecks check;
    if (!testsupport::MountSmallDisk("/etc", 1 << 20)) {
      return 2;
    }
    testsupport::WriteBytes(kHosts, "127.0.0.1 \told.example old.example.\n");
    program.WriteState("[settings]\r\nfirstrun=true\r\n");
    program.Start(kHosts);
    check(program.main_view().IsVisible(), "a first run shows the main window");
    check(program.State().find("firstrun=no") != std::string::npos, "and records itself");
    check(program.main_view().Rows().empty(), "with the list cleared");

    program.views.password_user = [&program](ui::frmPassword& window) {
      program.views.password->password = program.views.password->confirm = "n3w";
      window.cmdSavePassword_Click();
    };
    program.Main().mmuPassword_Click();
    check(program.BoxesWith("changed") == 1, "the new password is stored");
    check(program.State().find("pbkdf2-sha256$") != std::string::npos, "as a hash");

    // The password just stored opens the next change; one that guesses does not.
    program.AddWebsite("site.example");
    program.Main().imgApply_Click();
    check(ProgramWithHelper::SystemHosts() == testsupport::AddedLines("site.example"),
          "the Apply after the change went through");
    helper_client::HelperFiles stranger({program.helper_path}, program.state_path);
    auto refused = stranger.WriteHosts(kHosts, "# all gone\n", {}, {});
    check(!refused && refused.error().code == rir::ErrorCode::kWrongPassword,
          "a request without the password is refused");
    check(ProgramWithHelper::SystemHosts().find("site.example") != std::string::npos,
          "and writes nothing");
    return check.failures();
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(ProgramWithHelper, AHelperThatCannotAnswerIsToldWithTheReason) {
  testsupport::TempFolder folder;
  helper_client::HelperFiles missing({folder.File("no-helper")}, folder.File("state.dll"));
  auto matches = missing.PasswordMatches("secret", {});
  ASSERT_FALSE(matches);
  EXPECT_EQ(matches.error().code, rir::ErrorCode::kHelperFailed);
  EXPECT_NE(matches.error().reason.find("No such file"), std::string::npos)
      << matches.error().reason;

  // pkexec's refusal, as it says it.
  const std::string refusing = folder.File("refusing");
  testsupport::WriteBytes(refusing,
                          "#!/bin/sh\ncat >/dev/null\necho 'Error executing command as another "
                          "user: Not authorized' >&2\nexit 127\n");
  std::filesystem::permissions(refusing, std::filesystem::perms::owner_all);
  helper_client::HelperFiles refused({refusing}, folder.File("state.dll"));
  auto written = refused.WriteHosts(folder.File("hosts"), "# text\n", {}, {});
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().code, rir::ErrorCode::kHelperFailed);
  EXPECT_EQ(rir::DescribeError(written.error()),
            "Cannot have " + refusing +
                " act as an administrator: Error executing command as another user: "
                "Not authorized");
  EXPECT_EQ(refused.ReadFirstRun(), "") << "an unknown flag reads as none";

  // One that never answers is given up on, and the user told why.
  const std::string silent = folder.File("silent");
  testsupport::WriteBytes(silent, "#!/bin/sh\nexec sleep 600\n");
  std::filesystem::permissions(silent, std::filesystem::perms::owner_all);
  helper_client::HelperFiles waiting({silent}, folder.File("state.dll"), std::chrono::seconds(2));
  auto given_up = waiting.PasswordMatches("secret", {});
  ASSERT_FALSE(given_up);
  EXPECT_EQ(given_up.error().reason,
            "it did not answer within 2 seconds, and the program stopped waiting for it");
}

}  // namespace
