#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "blockcheck/browser_bypass.h"
#include "browser_folders.h"

namespace blockcheck {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : std::string{};
}

}  // namespace

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BrowserPlaces SystemBrowserPlaces() {
  BrowserPlaces places;
  if (const std::string app_data = Variable("APPDATA"); !app_data.empty()) {
    places.firefox_folders = {app_data + "\\Mozilla\\Firefox"};
  }
  if (const std::string local = Variable("LOCALAPPDATA"); !local.empty()) {
    places.chromium_folders = {
        {"chrome", "Google Chrome", local + "\\Google\\Chrome\\User Data"},
        {"chromium", "Chromium", local + "\\Chromium\\User Data"},
        {"edge", "Microsoft Edge", local + "\\Microsoft\\Edge\\User Data"},
        {"brave", "Brave", local + "\\BraveSoftware\\Brave-Browser\\User Data"},
    };
  }
  // A 32-bit browser on a 64-bit system lies under the second.
  for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)"}) {
    const std::string programs = Variable(variable);
    if (programs.empty()) {
      continue;
    }
    places.installed.insert(
        places.installed.end(),
        {{"Firefox", programs + "\\Mozilla Firefox\\firefox.exe"},
         {"Google Chrome", programs + "\\Google\\Chrome\\Application\\chrome.exe"},
         {"Microsoft Edge", programs + "\\Microsoft\\Edge\\Application\\msedge.exe"},
         {"Brave", programs + "\\BraveSoftware\\Brave-Browser\\Application\\brave.exe"}});
  }
  return places;
}

}  // namespace blockcheck
