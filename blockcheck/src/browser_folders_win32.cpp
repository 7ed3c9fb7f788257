#include <cstdlib>
#include <string>
#include <vector>

#include "blockcheck/browser_bypass.h"

namespace blockcheck {

std::vector<std::string> FirefoxFolders() {
  const char* app_data = std::getenv("APPDATA");
  if (app_data == nullptr || *app_data == '\0') {
    return {};
  }
  return {std::string(app_data) + "\\Mozilla\\Firefox"};
}

}  // namespace blockcheck
