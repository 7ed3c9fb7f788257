// The browsers' policies: our one member goes into Firefox's shared file and comes out again with
// every other byte as it was; policies others set are never overruled; and the policies follow
// whether anything is blocked, on real files (Linux) or the registry of a private prefix (Wine).
#include "browserpolicy/browser_policies.h"

#include "lock/system_lock.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"

namespace {

using browserpolicy::DohSetting;
using testsupport::DataFile;

std::string Policies(std::string_view name) {
  return DataFile("policies/" + std::string(name));
}

DohSetting SettingOf(const std::string& text) {
  auto setting = browserpolicy::FirefoxDohSetting(text, "policies.json");
  EXPECT_TRUE(setting) << rir::DescribeError(setting.error());
  return setting ? *setting : DohSetting::kNone;
}

// Added, then taken back: the file comes back byte for byte, and holds our member between.
void ExpectRoundTrip(const std::string& before) {
  const auto with = browserpolicy::WithFirefoxDohOff(before, "policies.json");
  ASSERT_TRUE(with) << rir::DescribeError(with.error());
  EXPECT_EQ(SettingOf(with->text), DohSetting::kOff) << with->text;
  const auto without =
      browserpolicy::WithoutFirefoxDohOff(with->text, "policies.json", with->added_policies);
  ASSERT_TRUE(without);
  EXPECT_EQ(*without, before);
}

TEST(FirefoxPolicyFile, OurMemberComesAndGoesLeavingEveryOtherByte) {
  ExpectRoundTrip(Policies("with-other-policies.json"));
  ExpectRoundTrip(Policies("no-policies-member.json"));
  ExpectRoundTrip("{}");
  ExpectRoundTrip("{\"policies\": {}}\n");
  // A file that was not there is made whole, and holds nothing once we are gone.
  const auto made = browserpolicy::WithFirefoxDohOff("", "policies.json");
  ASSERT_TRUE(made);
  EXPECT_EQ(SettingOf(made->text), DohSetting::kOff);
  EXPECT_TRUE(browserpolicy::HoldsNoPolicy(*browserpolicy::WithoutFirefoxDohOff(made->text, "p")));
  EXPECT_FALSE(browserpolicy::HoldsNoPolicy(Policies("with-other-policies.json")));
}

TEST(FirefoxPolicyFile, AnAdministratorsSettingStandsAndADamagedFileIsRefused) {
  const std::string administrators = Policies("doh-set-by-administrator.json");
  EXPECT_EQ(SettingOf(administrators), DohSetting::kOn);
  EXPECT_EQ(browserpolicy::WithFirefoxDohOff(administrators, "p")->text, administrators);
  EXPECT_EQ(*browserpolicy::WithoutFirefoxDohOff(administrators, "p"), administrators);
  for (const std::string& damaged : {Policies("damaged-trailing-comma.json"), std::string("[1, 2]"),
                                     std::string("{\"policies\": [\"DNSOverHTTPS\"]}")}) {
    const auto refused = browserpolicy::WithFirefoxDohOff(damaged, "/etc/p.json");
    ASSERT_FALSE(refused) << damaged;
    EXPECT_EQ(refused.error().code, rir::ErrorCode::kBadPolicyFile);
    EXPECT_NE(rir::DescribeError(refused.error()).find("/etc/p.json"), std::string::npos);
  }
}

TEST(ChromiumPolicyFile, ReadsTheModeOfAnyManagedFile) {
  EXPECT_EQ(browserpolicy::ChromiumDohSetting(browserpolicy::kChromiumPolicyText),
            DohSetting::kOff);
  EXPECT_EQ(browserpolicy::ChromiumDohSetting(R"({"DnsOverHttpsMode": "secure", "X": 1})"),
            DohSetting::kOn);
  EXPECT_EQ(browserpolicy::ChromiumDohSetting(R"({"HomepageLocation": "x"})"), DohSetting::kNone);
  EXPECT_EQ(browserpolicy::ChromiumDohSetting("{broken"), DohSetting::kNone);
}

// The policies kept in line, every failure a failure of the test.
browserpolicy::PoliciesKept KeptWithoutFailure(const browserpolicy::PolicyPlaces& places,
                                               const testsupport::TempFolder& data,
                                               bool any_blocked) {
  auto kept = browserpolicy::KeepBrowserPolicies(places, data.path().string(), any_blocked);
  for (const rir::Error& failure : kept.failures) {
    ADD_FAILURE() << rir::DescribeError(failure);
  }
  return kept;
}

#ifndef _WIN32
// A machine's policy folders beneath a folder of the test's own.
struct PolicyMachine {
  testsupport::TempFolder root;
  testsupport::TempFolder data;
  browserpolicy::PolicyPlaces places{root.path().string()};

  std::string Path(std::string_view relative) const {
    return root.path().string() + std::string(relative);
  }
  void Write(std::string_view relative, std::string_view text) const {
    std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    testsupport::WriteBytes(Path(relative), text);
  }
  browserpolicy::PoliciesKept Keep(bool any_blocked) const {
    return KeptWithoutFailure(places, data, any_blocked);
  }
};

TEST(BrowserPolicies, SetWhileBlockedTakenBackAfterAndOthersKept) {
  const PolicyMachine machine;
  const std::string others = Policies("with-other-policies.json");
  machine.Write("/etc/firefox/policies/policies.json", others);
  machine.Write("/etc/opt/chrome/policies/managed/corporate.json",
                R"({"DnsOverHttpsMode": "secure"})");
  // Firefox's file gains our member; Chrome's administrator turned it on, which stands.
  EXPECT_EQ(machine.Keep(true).set,
            (std::vector<std::string>{"Firefox", "Chromium", "Microsoft Edge", "Brave"}));
  for (const auto& target : browserpolicy::PolicyTargets(machine.places)) {
    EXPECT_EQ(*browserpolicy::ReadPolicy(machine.places, target),
              target.id == "chrome" ? DohSetting::kOn : DohSetting::kOff)
        << target.where;
  }
  EXPECT_TRUE(machine.Keep(true).set.empty());  // nothing twice
  // Ours taken away by someone while entries stay blocked: set again.
  std::filesystem::remove(machine.Path("/etc/brave/policies/managed/tamborelle-rir-avadera.json"));
  EXPECT_EQ(machine.Keep(true).set, std::vector<std::string>{"Brave"});
  EXPECT_EQ(machine.Keep(false).removed.size(), 4U);
  EXPECT_EQ(testsupport::ReadBytes(machine.Path("/etc/firefox/policies/policies.json")), others);
  // The folders we made went with our files; the administrator's stayed.
  EXPECT_FALSE(std::filesystem::exists(machine.Path("/etc/chromium")));
  EXPECT_FALSE(std::filesystem::exists(machine.Path("/etc/brave")));
  EXPECT_TRUE(
      std::filesystem::exists(machine.Path("/etc/opt/chrome/policies/managed/corporate.json")));
}

// Firefox reads /etc's file instead of its own folder's: ours starts as a copy of that one.
TEST(BrowserPolicies, AFileMadeInEtcCarriesFirefoxsOwnPolicies) {
  const PolicyMachine machine;
  const std::string own = Policies("with-other-policies.json");
  machine.Write("/usr/lib/firefox-esr/distribution/policies.json", own);
  machine.Keep(true);
  const std::string made =
      testsupport::ReadBytes(machine.Path("/etc/firefox/policies/policies.json"));
  EXPECT_EQ(*browserpolicy::WithoutFirefoxDohOff(made, "p"), own);
  machine.Keep(false);
  EXPECT_FALSE(std::filesystem::exists(machine.Path("/etc/firefox")));
}

TEST(BrowserPolicies, LeftAloneOnRequestAndADamagedFileToldNotWritten) {
  const PolicyMachine machine;
  const std::string damaged = Policies("damaged-trailing-comma.json");
  machine.Write("/etc/firefox/policies/policies.json", damaged);
  const std::string folder = machine.data.path().string();
  auto kept = browserpolicy::KeepBrowserPolicies(machine.places, folder, true);
  ASSERT_EQ(kept.failures.size(), 1U);
  EXPECT_EQ(kept.failures.front().code, rir::ErrorCode::kBadPolicyFile);
  EXPECT_EQ(testsupport::ReadBytes(machine.Path("/etc/firefox/policies/policies.json")), damaged);
  // Left alone: what we set goes, and nothing comes back while entries stay blocked; but not
  // while a lock is on.
  const std::string hosts = machine.Path("/hosts");
  testsupport::WriteBytes(hosts, "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n");
  ASSERT_TRUE(lock::StartLock(lock::LockStore(folder), hosts, 60, false, lock::ReadClocks()));
  EXPECT_EQ(browserpolicy::ChooseLeaveAlone(machine.places, folder, hosts, true).error().code,
            rir::ErrorCode::kLocked);
  std::filesystem::remove(lock::LockStore(folder).TimesPath());
  std::filesystem::remove(lock::LockStore(folder).NamesPath());
  auto chosen = browserpolicy::ChooseLeaveAlone(machine.places, folder, hosts, true);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->removed.size(), 4U);
  EXPECT_TRUE(browserpolicy::ReadPolicyRecord(folder)->leave_alone);
  EXPECT_TRUE(browserpolicy::KeepBrowserPolicies(machine.places, folder, true).set.empty());
  EXPECT_EQ(testsupport::FilesIn(machine.root.path() / "etc"), 1U);  // firefox/ alone
}
#endif

#ifdef _WIN32
// The machine's policy keys beneath a key of the test's own in the prefix's registry.
struct PolicyRegistry {
  std::string own;
  browserpolicy::PolicyPlaces places{own + "\\Policies"};
  testsupport::TempFolder data;

  explicit PolicyRegistry(std::string_view name)
      : own("SOFTWARE\\RirAvaderaTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::string(name)) {}
  ~PolicyRegistry() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, own.c_str());
    // Goes once no other test holds a key in it.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\RirAvaderaTest");
  }

  std::string Key(std::string_view below) const { return places.base + std::string(below); }
  bool Has(std::string_view below) const {
    HKEY key = nullptr;
    const bool has = RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key(below).c_str(), 0,
                                   KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS;
    if (has) {
      RegCloseKey(key);
    }
    return has;
  }
  // An administrator's string value.
  void Set(std::string_view below, const char* name, const std::string& text) const {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, Key(below).c_str(), name, REG_SZ, text.c_str(),
                              static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }
  std::string Value(std::string_view below, const char* name) const {
    char text[64] = {};
    DWORD size = sizeof text;
    return RegGetValueA(HKEY_LOCAL_MACHINE, Key(below).c_str(), name, RRF_RT_REG_SZ, nullptr, text,
                        &size) == ERROR_SUCCESS
               ? text
               : "";
  }
  browserpolicy::PoliciesKept Keep(bool any_blocked) const {
    return KeptWithoutFailure(places, data, any_blocked);
  }
};

TEST(BrowserPolicies, SetWhileBlockedTakenBackAfterAndOthersKept) {
  const PolicyRegistry machine("set-and-taken-back");
  const std::string start_page = "https://intranet.example/";
  machine.Set("\\Mozilla\\Firefox", "OverrideFirstRunPage", start_page);
  machine.Set("\\Google\\Chrome", "DnsOverHttpsMode", "secure");
  EXPECT_EQ(machine.Keep(true).set,
            (std::vector<std::string>{"Firefox", "Chromium", "Microsoft Edge", "Brave"}));
  for (const auto& target : browserpolicy::PolicyTargets(machine.places)) {
    EXPECT_EQ(*browserpolicy::ReadPolicy(machine.places, target),
              target.id == "chrome" ? DohSetting::kOn : DohSetting::kOff)
        << target.where;
  }
  EXPECT_TRUE(machine.Keep(true).set.empty());  // nothing twice
  // Someone turned Edge's on since: theirs stays, key and all.
  machine.Set("\\Microsoft\\Edge", "DnsOverHttpsMode", "automatic");
  EXPECT_EQ(machine.Keep(false).removed.size(), 4U);
  EXPECT_FALSE(machine.Has("\\Mozilla\\Firefox\\DNSOverHTTPS"));
  EXPECT_FALSE(machine.Has("\\Chromium"));
  EXPECT_FALSE(machine.Has("\\BraveSoftware"));
  EXPECT_EQ(machine.Value("\\Mozilla\\Firefox", "OverrideFirstRunPage"), start_page);
  EXPECT_EQ(machine.Value("\\Google\\Chrome", "DnsOverHttpsMode"), "secure");
  EXPECT_EQ(machine.Value("\\Microsoft\\Edge", "DnsOverHttpsMode"), "automatic");
}
#endif

}  // namespace
