// The save killed at random moments (SIGKILL, as a crash or a forced end of the program would
// stop it): each time, the hosts file is exactly its old text or exactly its new one, and once
// the program has loaded it again nothing is left beside it. A short run of the harness that
// bench/kill_save runs at length: 100,000 lines, every entry changed, 20 kills for each kind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "kill_save.h"
#include "private_mount.h"
#include "temp_folder.h"

namespace {

using testsupport::KillCounts;
using testsupport::KillRun;

KillRun ShortRun(const testsupport::TempFolder& folder, std::uint32_t seed) {
  KillRun run;
  run.folder = folder.File("run");
  run.lines = 100'000;
  run.kills = 20;
  run.seed = seed;
  return run;
}

TEST(HostsKill, APlainFileKilledPartWayIsItsOldTextOrItsNewOne) {
  testsupport::TempFolder folder;
  const KillCounts counts = testsupport::RunKills(ShortRun(folder, 20261208));
  ASSERT_EQ(counts.error, "");
  EXPECT_EQ(counts.torn, 0u) << Describe(counts);
  EXPECT_EQ(counts.leftovers, 0u) << Describe(counts);
  EXPECT_EQ(counts.failed_saves, 0u) << Describe(counts);
  EXPECT_EQ(counts.old_text + counts.new_text, 20u) << Describe(counts);
}

TEST(HostsKill, ABindMountedFileKilledPartWayIsItsOldTextOrItsNewOneOnceLoaded) {
  testsupport::TempFolder folder;
  const KillRun run = ShortRun(folder, 20261209);
  const int code = testsupport::InPrivateMounts([&] {
    KillRun bound = run;
    bound.bind_mounted = true;
    const KillCounts counts = testsupport::RunKills(bound);
    const bool passed = counts.error.empty() && counts.torn == 0 && counts.leftovers == 0 &&
                        counts.failed_saves == 0 && counts.old_text + counts.new_text == 20;
    if (!passed) {
      std::fprintf(stderr, "%s\n", Describe(counts).c_str());
    }
    return passed ? 0 : 1;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

}  // namespace
