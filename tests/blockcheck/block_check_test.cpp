// The blocking check with lookups of the test's own: what counts as blocked, the order of the
// leaks, the reasons the files give, time limits and Cancel with lookups that hang. Under Wine,
// also the system's own lookup against the private prefix's hosts file.
#include "blockcheck/block_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hostsfile/hosts_store.h"
#include "temp_folder.h"
#include "wine.h"

namespace {

using blockcheck::AddressFamily;
using blockcheck::BlockCheck;
using blockcheck::BlockCheckOptions;
using blockcheck::Leak;
using blockcheck::LeakReason;
using blockcheck::LookupAnswer;
using testsupport::TempFolder;
using testsupport::WriteBytes;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

bool WaitForEnd(const BlockCheck& check, std::chrono::seconds limit) {
  const auto give_up = Clock::now() + limit;
  while (!check.progress().finished) {
    if (Clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

LookupAnswer Addresses(std::vector<std::string> addresses) {
  return LookupAnswer{LookupAnswer::Kind::kAddresses, std::move(addresses)};
}

// Answers from a table, the same for each family; names not in it have no address.
blockcheck::LookupFunction Table(std::map<std::string, std::vector<std::string>> table) {
  return [table = std::move(table)](const std::string& name, AddressFamily family) {
    const auto found = table.find(name);
    if (found == table.end()) {
      return LookupAnswer{};
    }
    std::vector<std::string> of_family;
    for (const std::string& address : found->second) {
      if ((address.find(':') == std::string::npos) == (family == AddressFamily::kIpv4)) {
        of_family.push_back(address);
      }
    }
    return of_family.empty() ? LookupAnswer{} : Addresses(of_family);
  };
}

// Lookups that hang until the test lets them go; they must outlive the check they were
// abandoned by.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  std::size_t waiting = 0;

  void Open() {
    const std::lock_guard lock(mutex);
    open = true;
    opened.notify_all();
  }
};

blockcheck::LookupFunction HangingAt(std::shared_ptr<Gate> gate) {
  return [gate](const std::string&, AddressFamily) {
    std::unique_lock lock(gate->mutex);
    ++gate->waiting;
    gate->opened.wait(lock, [&] { return gate->open; });
    return Addresses({"93.184.216.34"});
  };
}

TEST(BlockCheck, LoopbackAndUnspecifiedAddressesBlockAndOthersDoNot) {
  for (const char* blocks : {"127.0.0.1", "127.45.0.9", "0.0.0.0", "::1", "::", "0:0::1",
                             "::ffff:127.0.0.1", "::ffff:0.0.0.0"}) {
    EXPECT_TRUE(blockcheck::BlocksConnections(blocks)) << blocks;
  }
  for (const char* reaches : {"93.184.216.34", "10.1.2.3", "128.0.0.1", "2606:2800:220:1::1", "::2",
                              "1::", "::ffff:10.0.0.1", "fe80::1%eth0", "", "localhost",
                              "127.0.0.1.5", "::1::", "1:2:3:4:5:6:7:8:9", "300.0.0.1"}) {
    EXPECT_FALSE(blockcheck::BlocksConnections(reaches)) << reaches;
  }
}

TEST(BlockCheck, EveryLookupIsCountedAndTheLeaksComeInTheOrderOfTheNames) {
  std::vector<std::string> names;
  std::map<std::string, std::vector<std::string>> table;
  std::vector<std::string> expected;  // name and family of each leak, in order
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "n" + std::to_string(i) + ".example";
    names.push_back(name);
    switch (i % 4) {
      case 0:
        table[name] = {"127.0.0.1", "::1"};
        break;
      case 1:
        table[name] = {"127.0.0.1", "93.184.216.34", "2606:2800:220:1::1"};
        expected.push_back(name + " IPv4 93.184.216.34");
        expected.push_back(name + " IPv6 2606:2800:220:1::1");
        break;
      case 2:
        table[name] = {"0.0.0.0", "2606:2800:220:1::1"};
        expected.push_back(name + " IPv6 2606:2800:220:1::1");
        break;
      default:
        break;  // no address at all: nothing to reach
    }
  }
  BlockCheckOptions options;
  options.parallel = 7;
  options.nsswitch_path.clear();
  options.lookup = Table(table);
  BlockCheck check(names, options);
  ASSERT_TRUE(WaitForEnd(check, 60s));
  const auto progress = check.progress();
  EXPECT_EQ(progress.total, 2000u);
  EXPECT_EQ(progress.done, 2000u);
  EXPECT_FALSE(progress.cancelled);
  std::vector<std::string> got;
  for (const Leak& leak : check.Leaks()) {
    got.push_back(leak.name + " " + std::string(blockcheck::FamilyText(leak.family)) + " " +
                  leak.address);
    EXPECT_EQ(leak.reason, LeakReason::kUnknown) << "no file tells why";
  }
  EXPECT_EQ(got, expected);
}

// What the hosts file, nsswitch.conf and a cache say of each leak.
TEST(BlockCheck, TheFilesGiveTheReasons) {
  TempFolder folder;
  WriteBytes(folder.File("hosts"),
             "127.0.0.1\tlocalhost\r\n"
             "10.1.2.3 early.example\r\n"
             "2001:db8::7 Early6.example\r\n"
             "127.0.0.1 \tearly.example early.example.\r\n"
             "::1 \tearly.example early.example.\r\n"
             "127.0.0.1 \tearly6.example early6.example.\r\n"
             "::1 \tearly6.example early6.example.\r\n"
             "127.0.0.1 \tlater.example later.example.\r\n"
             "::1 \tlater.example later.example.\r\n"
             "10.9.9.9 later.example\r\n"
             "127.0.0.1 \tv4only.example v4only.example.\r\n"
             "#127.0.0.1 \tallowed.example allowed.example.\r\n"
             "#::1 \tallowed.example allowed.example.\r\n");
  WriteBytes(folder.File("files-first"), "# comment\npasswd: files\nhosts:   files dns\n");
  WriteBytes(folder.File("dns-first"), "hosts: dns files\n");
  const std::vector<std::string> names = {"early.example", "early6.example", "later.example",
                                          "v4only.example", "allowed.example"};
  const auto public_everywhere = [](const std::string&, AddressFamily family) {
    return Addresses({family == AddressFamily::kIpv4 ? "93.184.216.34" : "2606:2800:220:1::1"});
  };
  const auto reasons = [&](const std::string& nsswitch, bool cache) {
    BlockCheckOptions options;
    options.hosts_path = folder.File("hosts");
    options.nsswitch_path = nsswitch;
    options.cache_runs = cache;
    options.lookup = public_everywhere;
    BlockCheck check(names, options);
    EXPECT_TRUE(WaitForEnd(check, 60s));
    std::vector<std::string> text;
    for (const Leak& leak : check.Leaks()) {
      text.push_back(leak.name + " " + std::string(blockcheck::FamilyText(leak.family)) + ": " +
                     std::string(blockcheck::LeakReasonText(leak.reason)));
    }
    return text;
  };

  const std::string earlier = "another line of the hosts file comes first";
  const std::string not_read = "the system's resolver does not read the hosts file";
  const std::string cached = "an answer kept from before (a cache)";
  const std::string unknown = "not known";
  EXPECT_EQ(reasons(folder.File("files-first"), true),
            (std::vector<std::string>{
                "early.example IPv4: " + earlier, "early.example IPv6: " + cached,
                "early6.example IPv4: " + cached, "early6.example IPv6: " + earlier,
                "later.example IPv4: " + cached, "later.example IPv6: " + cached,
                "v4only.example IPv4: " + cached, "v4only.example IPv6: " + not_read,
                // Allowed: the file does not block it, and nothing else tells why.
                "allowed.example IPv4: " + unknown, "allowed.example IPv6: " + not_read}));
  EXPECT_EQ(reasons(folder.File("files-first"), false),
            (std::vector<std::string>{
                "early.example IPv4: " + earlier, "early.example IPv6: " + unknown,
                "early6.example IPv4: " + unknown, "early6.example IPv6: " + earlier,
                "later.example IPv4: " + unknown, "later.example IPv6: " + unknown,
                "v4only.example IPv4: " + unknown, "v4only.example IPv6: " + not_read,
                "allowed.example IPv4: " + unknown, "allowed.example IPv6: " + not_read}));
  // The file comes after DNS, or glibc's default when nsswitch.conf is missing.
  for (const std::string& nsswitch : {folder.File("dns-first"), folder.File("missing")}) {
    EXPECT_EQ(reasons(nsswitch, true),
              (std::vector<std::string>{
                  "early.example IPv4: " + earlier, "early.example IPv6: " + not_read,
                  "early6.example IPv4: " + not_read, "early6.example IPv6: " + earlier,
                  "later.example IPv4: " + not_read, "later.example IPv6: " + not_read,
                  "v4only.example IPv4: " + not_read, "v4only.example IPv6: " + not_read,
                  "allowed.example IPv4: " + not_read, "allowed.example IPv6: " + not_read}))
        << nsswitch;
  }
}

// Lookups that never return are given up at their limit, fresh workers take their place, and
// the check ends; their answers, once they come, change nothing.
TEST(BlockCheck, LookupsPastTheirLimitAreReportedTimedOut) {
  auto gate = std::make_shared<Gate>();
  BlockCheckOptions options;
  options.parallel = 3;
  options.per_name = 200ms;
  options.nsswitch_path.clear();
  options.lookup = HangingAt(gate);
  {
    BlockCheck check({"a.example", "b.example", "c.example", "d.example", "e.example"}, options);
    ASSERT_TRUE(WaitForEnd(check, 30s)) << "10 lookups, 3 at a time: about 0.8 s";
    const auto leaks = check.Leaks();
    ASSERT_EQ(leaks.size(), 10u);
    for (const Leak& leak : leaks) {
      EXPECT_EQ(leak.reason, LeakReason::kTimedOut);
      EXPECT_TRUE(leak.address.empty());
    }
    EXPECT_EQ(check.progress().done, 10u);
    gate->Open();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(check.Leaks().size(), 10u) << "late answers are thrown away";
  }
  std::lock_guard lock(gate->mutex);
  EXPECT_EQ(gate->waiting, 10u) << "every lookup was made, none twice";
}

TEST(BlockCheck, CancelEndsACheckWhoseLookupsAllHang) {
  auto gate = std::make_shared<Gate>();
  BlockCheckOptions options;
  options.parallel = 16;
  options.per_name = 600s;
  options.nsswitch_path.clear();
  options.lookup = HangingAt(gate);
  std::vector<std::string> names;
  names.reserve(100000);
  for (int i = 0; i < 100000; ++i) {
    names.push_back("h" + std::to_string(i) + ".example");
  }
  {
    BlockCheck check(names, options);
    while (gate->waiting < 16) {
      std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(check.progress().finished);
    check.Cancel();
    ASSERT_TRUE(WaitForEnd(check, 3s)) << "Cancel takes effect at once";
    const auto progress = check.progress();
    EXPECT_TRUE(progress.cancelled);
    EXPECT_EQ(progress.done, 0u);
    EXPECT_EQ(progress.total, 200000u);
    EXPECT_TRUE(check.Leaks().empty()) << "a cancelled lookup is not a leak";
  }
  // Destroying a check cancels it, and does not wait for the lookups either.
  const auto start = Clock::now();
  {
    BlockCheck check(names, options);
    while (gate->waiting < 32) {
      std::this_thread::sleep_for(5ms);
    }
  }
  EXPECT_LT(Clock::now() - start, 3s);
  gate->Open();
}

TEST(BlockCheck, CancelStopsACheckPartWay) {
  BlockCheckOptions options;
  options.parallel = 2;
  options.nsswitch_path.clear();
  options.lookup = [](const std::string&, AddressFamily) {
    std::this_thread::sleep_for(1ms);
    return Addresses({"10.0.0.1"});
  };
  std::vector<std::string> names(20000, "slow.example");
  BlockCheck check(names, options);
  while (check.progress().done < 10) {
    std::this_thread::sleep_for(1ms);
  }
  check.Cancel();
  ASSERT_TRUE(WaitForEnd(check, 3s));
  const auto progress = check.progress();
  EXPECT_TRUE(progress.cancelled);
  EXPECT_LT(progress.done, progress.total);
  EXPECT_EQ(check.Leaks().size(), progress.done) << "each lookup made leaked and is told";
  check.Cancel();  // once more, after the end: no change
  EXPECT_EQ(check.progress().done, progress.done);
}

// A long list: a sample looked up, the rest judged from the file, where every leak that the file
// shows is still named; a cause that is not the names' own is one finding for the whole list.
TEST(BlockCheck, ALongListIsLookedUpInPartAndJudgedFromTheFile) {
  TempFolder folder;
  std::string hosts = "10.1.2.3 name2500.example\n";
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    names.push_back("name" + std::to_string(i) + ".example");
    hosts += "127.0.0.1 \t" + names.back() + "\n::1 \t" + names.back() + "\n";
  }
  WriteBytes(folder.File("hosts"), hosts);
  WriteBytes(folder.File("dns-first"), "hosts: dns files\n");
  BlockCheckOptions options;
  options.hosts_path = folder.File("hosts");
  options.nsswitch_path = folder.File("dns-first");
  options.lookup = [](const std::string&, AddressFamily) { return Addresses({"93.184.216.34"}); };
  options.most_looked_up = 100;
  BlockCheck check(names, options);
  ASSERT_TRUE(WaitForEnd(check, 60s));
  const blockcheck::CheckSummary summary = check.Summary();
  EXPECT_LE(summary.looked_up, 101u) << "the sample and the name the file marked";
  EXPECT_EQ(summary.looked_up + summary.judged, names.size());
  ASSERT_EQ(summary.findings.size(), 2u) << "one for each family";
  for (const blockcheck::Finding& finding : summary.findings) {
    EXPECT_EQ(finding.reason, LeakReason::kFileNotConsulted);
    EXPECT_EQ(finding.names, names.size());
  }
  const std::vector<Leak> leaks = check.Leaks();
  ASSERT_EQ(leaks.size(), 1u);
  EXPECT_EQ(leaks[0].name, "name2500.example");
  EXPECT_EQ(leaks[0].reason, LeakReason::kEarlierHostsLine);
  EXPECT_EQ(leaks[0].line, 1u);
}

// A long list's lookups share the check's time: the least sample is looked up whole even when
// the time is spent before it ends, and a lookup still under way at the end is given up, its
// name left out rather than waited for.
TEST(BlockCheck, ALongListsLookupsEndWithTheChecksTime) {
  TempFolder folder;
  std::string hosts;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    names.push_back("name" + std::to_string(i) + ".example");
    hosts += "127.0.0.1 \t" + names.back() + "\n::1 \t" + names.back() + "\n";
  }
  WriteBytes(folder.File("hosts"), hosts);
  names.push_back("www.silent.example");  // another name of a site, whose server never answers
  auto gate = std::make_shared<Gate>();
  const auto hanging = HangingAt(gate);
  BlockCheckOptions options;
  options.hosts_path = folder.File("hosts");
  options.nsswitch_path.clear();
  options.first_other = 3000;
  options.most_looked_up = 100;
  options.least_sample = 10;
  options.per_name = 600s;
  options.lookup = [hanging](const std::string& name, AddressFamily family) {
    return name == "www.silent.example" ? hanging(name, family) : Addresses({"127.0.0.1", "::1"});
  };
  for (const auto time : {0ms, 300ms}) {
    options.check_time = time;
    BlockCheck check(names, options);
    ASSERT_TRUE(WaitForEnd(check, 30s)) << time.count();
    const blockcheck::CheckSummary summary = check.Summary();
    EXPECT_GE(summary.looked_up, 10u) << "the least sample, whatever the time";
    EXPECT_LE(summary.looked_up, time == 0ms ? 10u : 100u);
    EXPECT_EQ(summary.looked_up + summary.judged, 3000u);
    EXPECT_EQ(summary.others_not_looked_up, 1u);
    EXPECT_TRUE(check.Leaks().empty());
  }
  gate->Open();
}

TEST(BlockCheck, AnEmptyListIsFinishedAtOnce) {
  BlockCheck check({}, BlockCheckOptions{});
  ASSERT_TRUE(WaitForEnd(check, 3s));
  EXPECT_EQ(check.progress().total, 0u);
  EXPECT_FALSE(check.progress().cancelled);
}

#ifdef _WIN32
// Names the hosts file blocks for both families, and one it maps elsewhere for both.
constexpr const char* kBlockedA = "rir-check-a.example";
constexpr const char* kBlockedB = "rir-check-b.example";
constexpr const char* kElsewhere = "rir-check-c.example";

// GetAddrInfoW through the check: the blocked names leak nowhere, the other one leaks to the
// file's addresses, each family with its own.
void ExpectTheFileHolds(const std::string& hosts_path) {
  BlockCheckOptions options;
  options.hosts_path = hosts_path;
  options.per_name = 10s;
  BlockCheck check({kBlockedA, kElsewhere, kBlockedB}, options);
  ASSERT_TRUE(WaitForEnd(check, 60s));
  std::vector<std::string> leaks;
  for (const Leak& leak : check.Leaks()) {
    leaks.push_back(leak.name + " " + std::string(FamilyText(leak.family)) + " " + leak.address +
                    ": " + std::string(LeakReasonText(leak.reason)));
  }
  const std::string reason(LeakReasonText(LeakReason::kEarlierHostsLine));
  EXPECT_EQ(leaks, (std::vector<std::string>{
                       std::string(kElsewhere) + " IPv4 10.1.2.3: " + reason,
                       std::string(kElsewhere) + " IPv6 2001:db8::5: " + reason,
                   }));
}

// The prefix's own hosts file, the one the program writes: read by Windows's resolver, and
// written here only when it is the test run's own.
TEST(BlockCheck, TheSystemLookupReadsTheHostsFile) {
  if (!testsupport::RunningUnderWine()) {
    GTEST_SKIP() << "would change this machine's hosts file";
  }
  const auto path = hostsfile::SystemHostsPath();
  ASSERT_TRUE(path.has_value());
  const std::string original = testsupport::ReadBytes(*path);
  WriteBytes(*path, original + "\r\n127.0.0.1 \t" + kBlockedA + "\r\n::1 \t" + kBlockedA +
                        "\r\n127.0.0.1 \t" + kBlockedB + "\r\n::1 \t" + kBlockedB +
                        "\r\n10.1.2.3 " + kElsewhere + "\r\n2001:db8::5 " + kElsewhere + "\r\n");
  const LookupAnswer ipv4 = blockcheck::SystemLookup(kElsewhere, AddressFamily::kIpv4);
  const LookupAnswer ipv6 = blockcheck::SystemLookup(kElsewhere, AddressFamily::kIpv6);
  const bool read = ipv4.addresses == std::vector<std::string>{"10.1.2.3"} &&
                    ipv6.addresses == std::vector<std::string>{"2001:db8::5"};
  if (read) {
    ExpectTheFileHolds(*path);
  }
  WriteBytes(*path, original);
  if (!read) {
    // Wine 8's GetAddrInfoW hands every name to the Linux resolver beneath it (the Linux
    // /etc/hosts, then DNS) and never opens the prefix's hosts file, for either family.
    GTEST_SKIP() << "Wine's resolver does not read the prefix's hosts file (it gave "
                 << ipv4.addresses.size() << " IPv4 and " << ipv6.addresses.size()
                 << " IPv6 addresses); block_check_wine checks the same against the Linux "
                    "hosts file beneath it";
  }
}

// The same against the Linux hosts file beneath Wine, bound over /etc/hosts in a private mount
// namespace by tests/blocklist/block_check_wine.sh, which holds the same lines.
TEST(BlockCheck, TheSystemLookupReadsTheHostsFileBeneathWine) {
  if (!testsupport::RunningUnderWine() || !std::getenv("RIR_CHECK_LINUX_HOSTS")) {
    GTEST_SKIP() << "needs a Linux hosts file of its own beneath Wine: run by block_check_wine";
  }
  ExpectTheFileHolds(std::getenv("RIR_CHECK_LINUX_HOSTS"));
}
#endif

}  // namespace
