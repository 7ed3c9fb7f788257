#include <cerrno>
#include <cstring>
#include <string>

#include "rir/error.h"

namespace rir {

std::string SystemReason(int code) {
  return std::strerror(code);
}

std::string LastSystemReason() {
  return SystemReason(errno);
}

}  // namespace rir
