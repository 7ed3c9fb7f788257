#include <gtest/gtest.h>

#include <string>

#include "blocklist/hosts_store.h"

namespace blocklist {
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

TEST(SystemPath, SystemHostsFileLoads) {
  HostsStore store;
  BlockList list;
  EXPECT_TRUE(store.Load(list).has_value());
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
}  // namespace blocklist
