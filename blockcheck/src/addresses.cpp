#include "addresses.h"

#include <algorithm>
#include <cstring>

#include "block_check_system.h"

namespace blockcheck::detail {

namespace {

bool Ipv4Blocks(const unsigned char* bytes) {
  return bytes[0] == 127 || (bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0);
}

}  // namespace

std::optional<ParsedAddress> ParseAddress(std::string_view text) {
  // The parsers want a terminated text; an address is short.
  char terminated[64] = {};
  if (text.size() >= sizeof terminated) {
    return std::nullopt;
  }
  std::memcpy(terminated, text.data(), text.size());
  ParsedAddress address;
  if (ReadIpv4(terminated, address.bytes.data())) {
    return address;
  }
  if (char* zone = std::strchr(terminated, '%')) {
    *zone = '\0';
  }
  address.family = AddressFamily::kIpv6;
  if (ReadIpv6(terminated, address.bytes.data())) {
    return address;
  }
  return std::nullopt;
}

bool Blocks(const ParsedAddress& address) {
  const auto& b = address.bytes;
  if (address.family == AddressFamily::kIpv4) {
    return Ipv4Blocks(b.data());
  }
  const bool ten_zeros =
      std::all_of(b.begin(), b.begin() + 10, [](unsigned char x) { return x == 0; });
  if (ten_zeros && b[10] == 0xff && b[11] == 0xff) {
    return Ipv4Blocks(b.data() + 12);  // ::ffff:127.0.0.1
  }
  const bool fifteen_zeros =
      ten_zeros && std::all_of(b.begin() + 10, b.begin() + 15, [](auto x) { return x == 0; });
  return fifteen_zeros && (b[15] == 0 || b[15] == 1);  // :: and ::1
}

}  // namespace blockcheck::detail
