// Finding the Firefox profiles that send lookups past the hosts file: only their own settings
// files are read, the last word of each setting counts, and user.js overrides prefs.js.
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

std::string Names(const std::vector<blockcheck::BypassingBrowser>& found) {
  std::string names;
  for (const auto& browser : found) {
    names += browser.browser + ":" + browser.profile + ":" + std::to_string(browser.trr_mode) + " ";
  }
  return names;
}

TEST(BrowserBypass, ProfilesWithDnsOverHttpsOnAreFoundAndOthersAreNot) {
  FirefoxFolder firefox;
  firefox.Profile("first", "// Mozilla User Preferences\nuser_pref(\"network.trr.mode\", 2);\n");
  firefox.Profile("off", "user_pref(\"network.trr.mode\", 5);\nuser_pref(\"browser.x\", 3);\n");
  firefox.Profile("only", "user_pref( \"network.trr.mode\" , 3 ) ;\r\n");
  firefox.Profile("plain", "user_pref(\"network.trr.uri\", \"https://example\");\n");
  firefox.Profile("commented",
                  "// user_pref(\"network.trr.mode\", 2) is what a guide said\n"
                  "/*\nuser_pref(\"network.trr.mode\", 3);\n*/\n");
  EXPECT_EQ(Names(blockcheck::FindBrowsersThatBypassHosts({firefox.path()})),
            "Firefox:first:2 Firefox:only:3 ");
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
  EXPECT_EQ(Names(blockcheck::FindBrowsersThatBypassHosts({firefox.path()})),
            "Firefox:user-on:3 Firefox:rollout:2 ");
}

TEST(BrowserBypass, MissingOrUnreadableFilesTellNothing) {
  TempFolder nowhere;
  EXPECT_TRUE(blockcheck::FindBrowsersThatBypassHosts({nowhere.File("no-such-folder")}).empty());

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
  EXPECT_EQ(Names(blockcheck::FindBrowsersThatBypassHosts({nowhere.File("none"), firefox.path()})),
            "Firefox:kept:2 Firefox:absolute:3 ");
}

TEST(BrowserBypass, FoldersAreThoseOfTheUserWhoRunsTheProgram) {
  const auto folders = blockcheck::FirefoxFolders();
  ASSERT_FALSE(folders.empty());
#ifdef _WIN32
  EXPECT_NE(folders.front().find("\\Mozilla\\Firefox"), std::string::npos) << folders.front();
#else
  EXPECT_NE(folders.front().find("/.mozilla/firefox"), std::string::npos) << folders.front();
#endif
}

}  // namespace
