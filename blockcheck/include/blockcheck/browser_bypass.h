// Whether each browser on the machine keeps to the hosts file. A browser that looks names up over
// HTTPS with its own resolver goes past it: Firefox reads the hosts file once a session and, with
// DNS over HTTPS on, asks its own resolver for names it has not seen; a Chromium-family browser
// whose secure DNS uses a chosen provider asks that provider. A managed policy of the computer
// outranks the browser's own setting. Only read, never changed: the settings belong to the user.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "browserpolicy/browser_policies.h"

namespace blockcheck {

// What the check says of one browser, or of one Firefox profile.
struct BrowserFinding {
  std::string browser;      // "Firefox", "Chromium", "Google Chrome", "Microsoft Edge", "Brave"
  std::string profile;      // the Firefox profile's name; "" when one line covers the browser
  bool may_bypass = false;  // it may look names up past the hosts file
  std::string why;          // one short clause: "a policy of this computer turns ..."
};

// One Chromium-family browser's folder of user data, which holds its "Local State".
struct ChromiumFolder {
  std::string id;       // the family's name in the policies: "chromium", "chrome", "edge", "brave"
  std::string browser;  // as the user knows it: "Google Chrome"
  std::string folder;
};

// Where to look.
struct BrowserPlaces {
  std::vector<std::string> firefox_folders;  // folders holding a profiles.ini
  std::vector<ChromiumFolder> chromium_folders;
  // A browser's name and a program whose presence tells the browser is installed.
  std::vector<std::pair<std::string, std::string>> installed;
  browserpolicy::PolicyPlaces policies;
  std::size_t hosts_bytes = 0;  // the hosts file's size: Chromium's own resolver skips a large one
};

// The largest hosts file Chromium's own resolver reads; past it, it asks its chosen provider.
inline constexpr std::size_t kMostChromiumHostsBytes = std::size_t{32} << 20;

// The places of the machine, for the user who runs the program: on Windows the folders under
// %APPDATA% and %LOCALAPPDATA% and the programs under %ProgramFiles%; elsewhere the folders in
// the home of the user who asked for the program when it runs for them as root (~/.mozilla/firefox
// and the folders of Firefox's sandboxed packages, ~/.config/<browser>) and the programs in
// /usr/bin and /opt.
BrowserPlaces SystemBrowserPlaces();

// A line for each browser found (its program or its folder is there): the policy in force when
// one speaks of DNS over HTTPS; else, for Firefox, a line for each profile by its own setting,
// and for a Chromium-family browser a line for each folder by its "Local State". A browser with
// no profile yet gets one line. A file that cannot be read tells nothing.
std::vector<BrowserFinding> JudgeBrowsers(const BrowserPlaces& places);

}  // namespace blockcheck
