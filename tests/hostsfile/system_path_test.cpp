#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "hostsfile/hosts_store.h"
#include "wine.h"

namespace hostsfile {
namespace {

#ifdef _WIN32
// Under Wine the system folder lies in the test run's private prefix, so its hosts file is ours.
TEST(SystemPath, IsTheSystemFolderWithoutTrailingBackslash) {
  const std::string folder = GetSystemPath();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(folder[1], ':');
  auto hosts = SystemHostsPath();
  ASSERT_TRUE(hosts.has_value());
  EXPECT_EQ(*hosts, folder + "\\drivers\\etc\\hosts");
  EXPECT_EQ(*HostsStore().Path(), *hosts);
}

// Writes the system's hosts file, so only where that file is the test run's own.
TEST(SystemPath, SystemHostsFileTakesAnEntryAndGivesItBack) {
  if (!testsupport::RunningUnderWine()) {
    GTEST_SKIP() << "would change this machine's hosts file";
  }
  std::string original;
  {
    HostsStore store;
    blocklist::BlockList list;
    ASSERT_TRUE(store.Load(list).has_value());
    original = store.BuildText(list);
    ASSERT_TRUE(list.Append("example.com").has_value());
    ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  }
  HostsStore store;
  blocklist::BlockList list;
  ASSERT_TRUE(store.Load(list).has_value());
  ASSERT_EQ(list.FindLast("example.com"), list.size() - 1);
  list.Remove(list.size() - 1);
  ASSERT_TRUE(store.Save(store.BuildText(list)).has_value());
  HostsStore again;
  blocklist::BlockList reread;
  ASSERT_TRUE(again.Load(reread).has_value());
  EXPECT_EQ(again.BuildText(reread), original);
}
#else
TEST(SystemPath, HostsFileIsEtcHosts) {
  auto hosts = SystemHostsPath();
  ASSERT_TRUE(hosts.has_value());
  EXPECT_EQ(*hosts, "/etc/hosts");
  EXPECT_EQ(*HostsStore().Path(), "/etc/hosts");
  EXPECT_EQ(*HostsStore("/tmp/elsewhere").Path(), "/tmp/elsewhere");
}
#endif

}  // namespace
}  // namespace hostsfile
