// Base64 (standard alphabet) without the "=" padding, so the text can stand as an INI value.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

std::string EncodeBase64(std::span<const unsigned char> bytes);
// Nothing when the text is not unpadded base64.
std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text);

}  // namespace settings
