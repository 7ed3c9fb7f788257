// Browsers that can reach a blocked site all the same. Firefox reads the hosts file once a
// session and, with DNS over HTTPS on, asks its own resolver for names it has not seen: until it
// is restarted, or with that setting on for good, the hosts file does not stop it. Only read,
// never changed: the settings belong to the user.
#pragma once

#include <string>
#include <vector>

namespace blockcheck {

struct BypassingBrowser {
  std::string browser;  // "Firefox"
  std::string profile;  // the profile's name, as the browser's profile manager shows it
  int trr_mode = 0;     // 2: DNS over HTTPS first, 3: only DNS over HTTPS
};

// The Firefox profiles under each of `firefox_folders` (folders holding a profiles.ini) whose
// settings send lookups through DNS over HTTPS.
std::vector<BypassingBrowser> FindBrowsersThatBypassHosts(
    const std::vector<std::string>& firefox_folders);

// Where Firefox keeps its profiles for the user who runs the program: %APPDATA%\Mozilla\Firefox
// on Windows; elsewhere ~/.mozilla/firefox and the folders of its sandboxed packages, in the home
// of the user who asked for the program when it runs for them as root.
std::vector<std::string> FirefoxFolders();

}  // namespace blockcheck
