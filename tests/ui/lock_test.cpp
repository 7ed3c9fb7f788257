// A lock taken through its window holds against the password's holder: the entries it locked
// cannot be allowed, removed or cleared, nor the hosts file restored or the program uninstalled,
// until it ends; blocking stays free, and what an Apply blocks during it is locked too.
#include <gtest/gtest.h>

#include "hosts_lines.h"
#include "lock/lock_store.h"
#include "program.h"
#include "ui/lock/lock_form.h"
#include "ui/main/main_form.h"

namespace {

using fakes::Program;

struct Locked : Program {
  Locked() {
    WriteHosts("# mine\n" + testsupport::BlockedLines("kept.com"));
    WriteState("[settings]\r\npwd=\r\n");
    Start();
    LogIn("");
  }
};

TEST(Lock, HoldsItsEntriesAgainstThePasswordUntilItEnds) {
  Locked program;
  program.Lock("2 hours");
  EXPECT_FALSE(program.Loaded(ui::FormId::kLock));
  EXPECT_EQ(program.main_view().lock_line.rfind("Locked until ", 0), 0u);
  EXPECT_NE(program.main_view().lock_line.find("2 hours left"), std::string::npos);
  EXPECT_EQ(program.BoxesWith("The blocks are locked until"), 1u);
  auto& main = program.Main();
  main.lvwWebsites_SelectionMoved(0);
  main.imgAllow_Click();
  main.mmuRemoveSite_Click();
  main.mmuClearAll_Click();
  main.mmuUninstall_Click();
  main.mmuBrowserSettings_Click();  // a browser left alone could go around the lock
  EXPECT_EQ(program.BoxesWith("kept.com is locked until"), 3u);
  EXPECT_EQ(program.BoxesWith("The browsers' settings are kept until"), 1u);
  EXPECT_FALSE(program.main_view().browsers_left_alone);
  EXPECT_EQ(program.BoxesWith("cannot be uninstalled while the blocks are locked"), 1u);
  EXPECT_TRUE(program.services.started.empty());
  ASSERT_EQ(main.lvwWebsites().size(), 1u);
  EXPECT_EQ(main.lvwWebsites()[0].status, blocklist::Status::kBlocked);

  // Tightening stays free, and what it blocks is locked from then on.
  program.AddWebsite("new.org");
  main.imgApply_Click();
  EXPECT_NE(program.Hosts().find(testsupport::BlockedLines("new.org")), std::string::npos);
  main.lvwWebsites_SelectionMoved(1);
  main.imgAllow_Click();
  EXPECT_EQ(program.BoxesWith("new.org is locked until"), 1u);

  // A shorter lock is refused, and the file as it was before the lock is not restored.
  program.Lock("1 hour");
  EXPECT_EQ(program.BoxesWith("The blocks were not locked"), 1u);
  program.services.picks.push_back(fakes::Pick(0));
  main.mmuRestore_Click();
  EXPECT_EQ(program.BoxesWith("The hosts file was not restored"), 1u);
  EXPECT_NE(program.Hosts().find(testsupport::BlockedLines("new.org")), std::string::npos);
}

TEST(Lock, ADamagedRecordKeepsEveryBlockLocked) {
  Locked program;
  program.Lock("10 minutes");
  const lock::LockStore store(program.folder.path().string());
  testsupport::WriteBytes(store.TimesPath(), "rir-avadera-lock 1\nleft=9");
  program.application.reset();
  program.Start();
  program.LogIn("");
  EXPECT_EQ(program.BoxesWith("The record of the lock was damaged"), 1u);
  EXPECT_NE(program.main_view().lock_line.find("30 days left"), std::string::npos)
      << program.main_view().lock_line;
  program.Main().lvwWebsites_SelectionMoved(0);
  program.Main().imgAllow_Click();
  EXPECT_EQ(program.BoxesWith("kept.com is locked until"), 1u);
}

}  // namespace
