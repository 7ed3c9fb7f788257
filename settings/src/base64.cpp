#include "base64.h"

#include <cstdint>

namespace settings {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Digit(char c) {
  const auto found = kAlphabet.find(c);
  return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

}  // namespace

std::string EncodeBase64(std::span<const unsigned char> bytes) {
  std::string text;
  text.reserve((bytes.size() * 4 + 2) / 3);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group =
        (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) {
      text += kAlphabet[(group >> shift) & 63];
    }
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = std::uint32_t{bytes[i]} << 16;
    if (rest == 2) {
      group |= std::uint32_t{bytes[i + 1]} << 8;
    }
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    if (rest == 2) {
      text += kAlphabet[(group >> 6) & 63];
    }
  }
  return text;
}

std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text) {
  if (text.size() % 4 == 1) {
    return std::nullopt;
  }
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() * 3 / 4);
  std::uint32_t group = 0;
  int bits = 0;
  for (const char c : text) {
    const int digit = Digit(c);
    if (digit < 0) {
      return std::nullopt;
    }
    group = (group << 6) | static_cast<std::uint32_t>(digit);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<unsigned char>((group >> bits) & 0xFF));
    }
  }
  return bytes;
}

}  // namespace settings
