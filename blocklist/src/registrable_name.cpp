#include "blocklist/registrable_name.h"

#include <algorithm>

#include "public_suffix_list.h"

namespace blocklist {

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// As a browser reads a host: a last label of decimal digits, or "0x" and hex digits, makes the
// whole an IPv4 address (a valid one or none), whatever the labels before it.
bool EndsInANumber(std::string_view host) {
  if (host.ends_with('.')) {
    host.remove_suffix(1);
  }
  std::string_view last = host.substr(host.rfind('.') + 1);  // npos + 1: the whole name
  if (last.empty()) {
    return false;
  }
  if (last.starts_with("0x") || last.starts_with("0X")) {
    last.remove_prefix(2);
    return std::all_of(last.begin(), last.end(), IsHexDigit);
  }
  return std::all_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<std::string> RegistrableName(std::string_view host) {
  if (EndsInANumber(host)) {
    return std::nullopt;
  }
  return detail::ListedRegistrableName(host);
}

}  // namespace blocklist
