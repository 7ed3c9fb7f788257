// What the browsers' check asks of the system.
#pragma once

#include <string>

namespace blockcheck {

// Whether a file or folder is there: a browser's program, or the folder of its profiles.
bool PathExists(const std::string& path);

}  // namespace blockcheck
