// The platform's cryptography: CNG on Windows, OpenSSL's libcrypto elsewhere.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "rir/result.h"

namespace settings::crypto {

// Bytes from the system's cryptographic random source.
rir::Result<void> RandomBytes(std::span<unsigned char> out);

// PBKDF2 with HMAC-SHA256, filling `out`.
rir::Result<void> Pbkdf2Sha256(std::string_view password, std::span<const unsigned char> salt,
                               std::uint32_t iterations, std::span<unsigned char> out);

// Whether two byte strings of the same length are equal, in a time that does not depend on
// where they differ.
bool ConstantTimeEqual(std::span<const unsigned char> a, std::span<const unsigned char> b);

}  // namespace settings::crypto
