#include "plain_file.h"

namespace settings {

std::string TooLargeReason(std::size_t most_bytes) {
  return "it holds more than " + std::to_string(most_bytes) + " bytes, the most this file may hold";
}

}  // namespace settings
