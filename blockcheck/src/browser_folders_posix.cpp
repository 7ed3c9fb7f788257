#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "blockcheck/browser_bypass.h"
#include "browser_folders.h"

namespace blockcheck {

namespace {

std::string HomeOf(const passwd* user) {
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : std::string{};
}

// The browser that matters is the desktop user's. Run for that user as root (pkexec, sudo), the
// program's own home is root's, and the user is named by the variable the launcher left.
std::string UserHome() {
  if (::geteuid() == 0) {
    if (const char* uid = std::getenv("PKEXEC_UID"); uid != nullptr && *uid != '\0') {
      return HomeOf(::getpwuid(static_cast<uid_t>(std::strtoul(uid, nullptr, 10))));
    }
    if (const char* name = std::getenv("SUDO_USER"); name != nullptr && *name != '\0') {
      return HomeOf(::getpwnam(name));
    }
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  return HomeOf(::getpwuid(::geteuid()));
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

BrowserPlaces SystemBrowserPlaces() {
  BrowserPlaces places;
  places.installed = {{"Firefox", "/usr/bin/firefox"},
                      {"Firefox", "/usr/bin/firefox-esr"},
                      {"Chromium", "/usr/bin/chromium"},
                      {"Google Chrome", "/usr/bin/google-chrome"},
                      {"Google Chrome", "/opt/google/chrome/chrome"},
                      {"Microsoft Edge", "/usr/bin/microsoft-edge"},
                      {"Brave", "/usr/bin/brave-browser"}};
  const std::string home = UserHome();
  if (home.empty()) {
    return places;
  }
  places.firefox_folders = {home + "/.mozilla/firefox",
                            home + "/snap/firefox/common/.mozilla/firefox",
                            home + "/.var/app/org.mozilla.firefox/.mozilla/firefox"};
  places.chromium_folders = {
      {"chromium", "Chromium", home + "/.config/chromium"},
      {"chrome", "Google Chrome", home + "/.config/google-chrome"},
      {"edge", "Microsoft Edge", home + "/.config/microsoft-edge"},
      {"brave", "Brave", home + "/.config/BraveSoftware/Brave-Browser"},
  };
  return places;
}

}  // namespace blockcheck
