// How the login password is kept: never as typed, but as a salted PBKDF2-HMAC-SHA256 hash,
//   pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>
// which has no blank, quote or "=" and so reads back from an INI file exactly as written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace settings {

inline constexpr std::uint32_t kPasswordIterations = 600000;
inline constexpr std::size_t kPasswordSaltBytes = 16;

// What to store for `typed`, exactly as typed (any text, the empty one included), with a fresh
// random salt.
rir::Result<std::string> HashPassword(std::string_view typed);
// The same with a given salt and iteration count; the stored form is the same on every system.
rir::Result<std::string> HashPasswordWithSalt(std::string_view typed,
                                              std::span<const unsigned char> salt,
                                              std::uint32_t iterations);

// Whether `attempt` is the password that `stored` keeps. A stored value that does not begin with
// "pbkdf2-sha256$" (written by an older version, or by hand) is the password itself; "" is the
// empty password. One that begins so but is no whole hash (an iteration count of 0 or over
// 20,000,000, a salt or hash that is not base64, a hash cut short) matches no attempt at all:
// it is a kDamagedPasswordHash error, with what is wrong as its reason.
rir::Result<bool> PasswordMatches(std::string_view attempt, std::string_view stored);

}  // namespace settings
