// The helper killed at random moments during its save, started through its real entry point as
// the program starts it, for both ways a save goes (a rename, and an in-place rewrite behind a
// journal for a bind-mounted file): the hosts file is its old text or its new one, nothing is
// left beside it, the desktop user's next load never fails, and the record of the blocks that a
// put-back may make is the file's own (or there is none). A short run of
// `bench/kill_save --helper`.
#include "helper_kill.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "private_mount.h"
#include "temp_folder.h"

namespace {

void ExpectKillsLeaveNothing(bool bind_mounted, std::uint32_t seed) {
  testsupport::TempFolder folder;
  const std::string helper = folder.File("program/rir-avadera-helper");
  std::filesystem::create_directories(folder.File("program"));
  std::filesystem::copy_file(RIR_HELPER, helper);
  testsupport::KillRun run;
  run.folder = folder.File("run");
  run.lines = 20'000;
  run.seed = seed;
  run.bind_mounted = bind_mounted;
  testsupport::SaveThroughHelper(run, helper);
  testsupport::LookAtHelperRecord(run, helper);
  const int code = testsupport::InPrivateMounts([&] {
    const testsupport::KillCounts counts = testsupport::RunKills(run);
    const bool passed = counts.error.empty() && counts.torn == 0 && counts.leftovers == 0 &&
                        counts.failed_loads == 0 && counts.old_text + counts.new_text == 20 &&
                        counts.record_disagrees == 0 && counts.record_wrong_unkilled == 0 &&
                        counts.record_leftovers == 0;
    std::fprintf(stderr, "%s\n", Describe(counts).c_str());
    return passed ? 0 : 1;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(HelperKill, ARenameSaveKilledPartWayLeavesTheOldTextOrTheNew) {
  ExpectKillsLeaveNothing(false, 20261209);
}

TEST(HelperKill, AnInPlaceRewriteKilledPartWayIsFinishedForTheDesktopUser) {
  ExpectKillsLeaveNothing(true, 20261210);
}

}  // namespace
