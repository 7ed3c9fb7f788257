#include <windows.h>

#include <string>

#include "rir/error.h"

namespace rir {

std::string SystemReason(int code) {
  const auto error = static_cast<DWORD>(code);
  char buffer[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    text = "Windows error";
  }
  return text + " (error " + std::to_string(error) + ")";
}

std::string LastSystemReason() {
  return SystemReason(static_cast<int>(GetLastError()));
}

}  // namespace rir
