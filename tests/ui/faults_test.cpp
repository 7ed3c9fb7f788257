// The window logic under faults injected for real: the disk fills up while the program runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "child_checks.h"
#include "private_mount.h"
#include "program.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace {

TEST(Faults, AFullDiskAtApplyIsToldAndTheListAndTheProgramStay) {
  fakes::Program program;
  const std::string folder = program.folder.path().string();
  const int code = testsupport::InPrivateMounts([&] {
    testsupport::ChildChecks check;
    if (!testsupport::MountSmallDisk(folder, 1 << 20)) {
      return 2;
    }
    const std::string old_text =
        "# kept\n127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n";
    program.WriteHosts(old_text);
    program.WriteState("[settings]\r\nfirstrun=no\r\n");
    program.Start();
    program.LogIn("");
    for (int i = 0; i < 4000; ++i) {
      program.AddWebsite("site" + std::to_string(i) + ".example");
    }
    testsupport::FillUpTo(folder, 16 << 10);

    program.Main().imgApply_Click();
    check(program.BoxesWith("No space left on device") == 1, "the full disk is told");
    check(!program.main_view().restart_notice, "no restart notice for a list not applied");
    check(program.Hosts() == old_text, "the hosts file keeps its old text");
    check(program.main_view().Rows().size() == 8001, "the list stays as the user made it");

    program.services.answers = {ui::MsgBoxResult::kNo};
    program.Main().mmuExit_Click();
    check(program.BoxesWith("No space left on device. Exit anyway?") == 1,
          "an Exit that cannot apply asks whether to end all the same");
    check(program.Loaded(ui::FormId::kMain) && program.services.ends == 0, "and No ends nothing");

    std::filesystem::remove(folder + "/filler");
    program.Main().mmuExit_Click();
    check(program.services.ends == 1, "with room, Exit ends the program");
    check(program.Hosts().find("127.0.0.1 \tsite3999.example site3999.example.\n::1 "
                               "\tsite3999.example site3999.example.\n") != std::string::npos,
          "and the list is written");
    return check.failures();
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(Faults, AFileLeftPartWrittenIsNeverToldAsUnchanged) {
  const rir::Error torn{rir::ErrorCode::kLeftPartWritten, "/etc/hosts",
                        "No space left on device; putting the old text back failed as well: "
                        "Input/output error"};
  for (const ui::Failure failure : {ui::Failure::kApply, ui::Failure::kSaveOnly}) {
    const std::string text = ui::FailureText(failure, torn);
    EXPECT_EQ(text.find("the hosts file is as it was"), std::string::npos) << text;
    EXPECT_NE(text.find("could not be put back"), std::string::npos) << text;
    EXPECT_NE(text.find("/etc/hosts is left part old text, part new"), std::string::npos) << text;
  }
}

}  // namespace
