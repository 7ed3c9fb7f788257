// Emptying the name caches after an Apply: the machine's own commands, run only for the caches
// that run, and each failure told with its reason.
#include "hostsfile/resolver_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

#ifndef _WIN32

using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// A command that writes its arguments to `log` and ends with `status`.
std::string StubCommand(const TempFolder& folder, const std::string& name, int status) {
  std::string path = folder.File(name);
  WriteBytes(path, "#!/bin/sh\necho \"$0 $*\" >> '" + folder.File("log") + "'\nexit " +
                       std::to_string(status) + "\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(ResolverCaches, OnlyTheCachesThatRunAreEmptiedAndEachFailureIsTold) {
  TempFolder folder;
  hostsfile::ResolverCaches caches{folder.File("resolved.socket"),
                                   StubCommand(folder, "resolvectl", 0), folder.File("nscd.socket"),
                                   StubCommand(folder, "nscd", 0)};
  EXPECT_TRUE(hostsfile::FlushResolverCaches(caches).empty());
  EXPECT_FALSE(std::filesystem::exists(folder.File("log"))) << "nothing runs, nothing is run";

  WriteBytes(caches.resolved_socket, "");
  WriteBytes(caches.nscd_socket, "");
  EXPECT_TRUE(hostsfile::FlushResolverCaches(caches).empty());
  EXPECT_EQ(ReadBytes(folder.File("log")),
            caches.resolvectl + " flush-caches\n" + caches.nscd + " -i hosts\n");

  caches.nscd = StubCommand(folder, "failing-nscd", 3);
  caches.resolvectl = folder.File("no-such-resolvectl");
  const auto failures = hostsfile::FlushResolverCaches(caches);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0].code, rir::ErrorCode::kFlushResolverCache);
  EXPECT_EQ(failures[0].path, caches.resolvectl);
  EXPECT_FALSE(failures[0].reason.empty());
  EXPECT_EQ(failures[1].path, caches.nscd);
  EXPECT_EQ(failures[1].reason, "It ended with status 3");
}

#else

TEST(ResolverCaches, TheDnsClientCacheIsEmptiedInProcess) {
  EXPECT_TRUE(hostsfile::FlushResolverCaches().empty());
}

#endif

}  // namespace
