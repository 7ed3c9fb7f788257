#include "ini_lock.h"

namespace settings {

std::string LockWaitReason() {
  return "another program has held it for " + std::to_string(kMostLockWait.count() / 1000) +
         " seconds";
}

}  // namespace settings
