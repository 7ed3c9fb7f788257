// Telling a missing file from one that is there but cannot be read.
#pragma once

#include <string>

#include "rir/result.h"

namespace settings {

// Fine when the file can be opened for reading or does not exist; otherwise the system's reason.
rir::Result<void> CheckReadableOrMissing(const std::string& path);

}  // namespace settings
