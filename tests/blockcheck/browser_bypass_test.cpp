// Whether each browser keeps to the hosts file: a policy of the computer first; else Firefox's
// profiles by their own settings files, where the last word of each setting counts and user.js
// overrides prefs.js, and a Chromium-family browser by its "Local State".
#include "blockcheck/browser_bypass.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteBytes;

class FirefoxFolder {
 public:
  FirefoxFolder() { profiles_ini_ = "[General]\nStartWithLastProfile=1\n\n"; }

  // A profile in a folder of its own beneath the Firefox folder, as the browser makes them.
  void Profile(const std::string& name, const std::string& prefs, const std::string& user = {}) {
    const std::string relative = "Profiles/" + name + ".folder";
    std::filesystem::create_directories(folder_.path() / relative);
    WriteBytes(folder_.File(relative + "/prefs.js"), prefs);
    if (!user.empty()) {
      WriteBytes(folder_.File(relative + "/user.js"), user);
    }
    profiles_ini_ += "[Profile" + std::to_string(count_++) + "]\r\nName=" + name +
                     "\r\nIsRelative=1\r\nPath=" + relative + "\r\n\r\n";
    WriteBytes(folder_.File("profiles.ini"), profiles_ini_);
  }

  std::string path() const { return folder_.path().string(); }

 private:
  TempFolder folder_;
  std::string profiles_ini_;
  int count_ = 0;
};

// Places holding only the given folders and programs, and no policy.
struct Places {
  blockcheck::BrowserPlaces places;
  TempFolder policies;

  explicit Places(std::vector<std::string> firefox_folders) {
    places.firefox_folders = std::move(firefox_folders);
#ifdef _WIN32
    places.policies.base = "SOFTWARE\\Policies\\rir-avadera-tests-none";
#else
    places.policies.base = policies.path().string();
#endif
  }

  // Which lines go past the hosts file ("+") and which keep to it ("-").
  std::string Lines() const {
    std::string lines;
    for (const auto& line : blockcheck::JudgeBrowsers(places)) {
      lines += line.browser + ":" + line.profile + (line.may_bypass ? "+ " : "- ");
    }
    return lines;
  }
};

TEST(BrowserBypass, ProfilesWithDnsOverHttpsOnAreFoundAndOthersAreNot) {
  FirefoxFolder firefox;
  firefox.Profile("first", "// Mozilla User Preferences\nuser_pref(\"network.trr.mode\", 2);\n");
  firefox.Profile("off", "user_pref(\"network.trr.mode\", 5);\nuser_pref(\"browser.x\", 3);\n");
  firefox.Profile("only", "user_pref( \"network.trr.mode\" , 3 ) ;\r\n");
  firefox.Profile("plain", "user_pref(\"network.trr.uri\", \"https://example\");\n");
  firefox.Profile("commented",
                  "// user_pref(\"network.trr.mode\", 2) is what a guide said\n"
                  "/*\nuser_pref(\"network.trr.mode\", 3);\n*/\n");
  EXPECT_EQ(Places({firefox.path()}).Lines(),
            "Firefox:first+ Firefox:off- Firefox:only+ Firefox:plain- Firefox:commented- ");
}

TEST(BrowserBypass, TheLastWordCountsAndUserJsOverridesPrefsJs) {
  FirefoxFolder firefox;
  firefox.Profile("later-off",
                  "user_pref(\"network.trr.mode\", 2);\nuser_pref(\"network.trr.mode\", 0);\n");
  firefox.Profile("user-on", "user_pref(\"network.trr.mode\", 5);\n",
                  "user_pref(\"network.trr.mode\", 3);\n");
  firefox.Profile("user-off", "user_pref(\"network.trr.mode\", 2);\n",
                  "user_pref(\"network.trr.mode\", 5);\n");
  // Left at 0, the mode is what the gradual roll-out chose.
  firefox.Profile("rollout", "user_pref(\"doh-rollout.mode\", 2);\n");
  firefox.Profile("rollout-overruled",
                  "user_pref(\"doh-rollout.mode\", 2);\nuser_pref(\"network.trr.mode\", 5);\n");
  EXPECT_EQ(Places({firefox.path()}).Lines(),
            "Firefox:later-off- Firefox:user-on+ Firefox:user-off- Firefox:rollout+ "
            "Firefox:rollout-overruled- ");
}

TEST(BrowserBypass, MissingOrUnreadableFilesTellNothing) {
  TempFolder nowhere;
  EXPECT_EQ(Places({nowhere.File("no-such-folder")}).Lines(), "");

  FirefoxFolder firefox;
  firefox.Profile("kept", "user_pref(\"network.trr.mode\", 2);\n");
  // A profile whose folder was removed, and one given by an absolute path.
  TempFolder elsewhere;
  WriteBytes(elsewhere.File("prefs.js"), "user_pref(\"network.trr.mode\", 3);\n");
  WriteBytes(firefox.path() + "/profiles.ini",
             "[Profile0]\nName=gone\nIsRelative=1\nPath=Profiles/gone\n\n"
             "[Profile1]\nName=kept\nIsRelative=1\nPath=Profiles/kept.folder\n\n"
             "[Profile2]\nName=absolute\nIsRelative=0\nPath=" +
                 elsewhere.path().string() + "\n\n[Install4F96D1932A9F858E]\nDefault=x\n");
  EXPECT_EQ(Places({nowhere.File("none"), firefox.path()}).Lines(),
            "Firefox:gone- Firefox:kept+ Firefox:absolute+ ");
}

TEST(BrowserBypass, FoldersAreThoseOfTheUserWhoRunsTheProgram) {
  const auto places = blockcheck::SystemBrowserPlaces();
  ASSERT_FALSE(places.firefox_folders.empty());
  ASSERT_EQ(places.chromium_folders.size(), 4U);
#ifdef _WIN32
  EXPECT_NE(places.firefox_folders.front().find("\\Mozilla\\Firefox"), std::string::npos);
  EXPECT_TRUE(places.chromium_folders.front().folder.ends_with("\\Google\\Chrome\\User Data"));
#else
  EXPECT_NE(places.firefox_folders.front().find("/.mozilla/firefox"), std::string::npos);
  EXPECT_TRUE(places.chromium_folders.front().folder.ends_with("/.config/chromium"));
#endif
}

TEST(BrowserBypass, ChromiumByItsLocalStateAndAPolicyOfTheComputerOverEither) {
  FirefoxFolder firefox;
  firefox.Profile("plain", "");
  firefox.Profile("doh", "user_pref(\"network.trr.mode\", 3);\n");
  TempFolder chromium;
  WriteBytes(chromium.File("Local State"), R"({"dns_over_https": {"mode": "secure"}})");
  TempFolder programs;
  WriteBytes(programs.File("chrome"), "");
  Places places({firefox.path()});
  places.places.chromium_folders = {{"chromium", "Chromium", chromium.path().string()},
                                    {"chrome", "Google Chrome", programs.File("no-folder")},
                                    {"edge", "Microsoft Edge", programs.File("no-edge")}};
  // Found by its program alone, Chrome has no setting of its own yet; Edge is not there at all.
  places.places.installed = {{"Google Chrome", programs.File("chrome")},
                             {"Microsoft Edge", programs.File("no-msedge")}};
  EXPECT_EQ(places.Lines(), "Firefox:plain- Firefox:doh+ Chromium:- Google Chrome:- ");
  const auto lines = blockcheck::JudgeBrowsers(places.places);
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[1].why, "its own setting sends look-ups over HTTPS only");
  EXPECT_EQ(lines[2].why, "its secure DNS reads the hosts file first");
  EXPECT_EQ(lines[3].why, "its secure DNS is automatic, which keeps to the hosts file");
  // Past the size Chromium's own resolver reads, its chosen provider answers instead.
  places.places.hosts_bytes = blockcheck::kMostChromiumHostsBytes + 1;
  EXPECT_EQ(places.Lines(), "Firefox:plain- Firefox:doh+ Chromium:+ Google Chrome:- ");
  places.places.hosts_bytes = 0;

#ifndef _WIN32
  const auto base = places.policies.path();
  std::filesystem::create_directories(base / "etc/firefox/policies");
  std::filesystem::create_directories(base / "etc/chromium/policies/managed");
  std::filesystem::create_directories(base / "etc/opt/chrome/policies/managed");
  WriteBytes((base / "etc/firefox/policies/policies.json").string(),
             R"({"policies": {"DNSOverHTTPS": {"Enabled": false, "Locked": true}}})");
  WriteBytes((base / "etc/chromium/policies/managed/x.json").string(),
             R"({"DnsOverHttpsMode": "off"})");
  WriteBytes((base / "etc/opt/chrome/policies/managed/y.json").string(),
             R"({"DnsOverHttpsMode": "secure"})");
  EXPECT_EQ(places.Lines(), "Firefox:- Chromium:- Google Chrome:+ ");
  EXPECT_EQ(blockcheck::JudgeBrowsers(places.places).front().why,
            "a policy of this computer turns its DNS over HTTPS off");
#endif
}

}  // namespace
