// Address texts as the resolver reads them, and which addresses stop a connection.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "blockcheck/block_check.h"

namespace blockcheck::detail {

struct ParsedAddress {
  AddressFamily family = AddressFamily::kIpv4;
  std::array<unsigned char, 16> bytes{};  // IPv4 in the first four
};

// Through the system's own parser, as the resolver reads the hosts file. A zone ("%eth0") is
// dropped: it says which link, not which address.
std::optional<ParsedAddress> ParseAddress(std::string_view text);

// Loopback or unspecified, for either family (and IPv4 written as IPv6).
bool Blocks(const ParsedAddress& address);

inline std::size_t FamilyIndex(AddressFamily family) {
  return family == AddressFamily::kIpv4 ? 0 : 1;
}

}  // namespace blockcheck::detail
