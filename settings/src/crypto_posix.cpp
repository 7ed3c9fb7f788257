// OpenSSL's libcrypto.
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <string>

#include "crypto.h"

namespace settings::crypto {

namespace {

rir::Error Failure(const char* call) {
  char text[256] = {};
  ERR_error_string_n(ERR_get_error(), text, sizeof text);
  return rir::Error{rir::ErrorCode::kPasswordHash, {}, std::string(call) + ": " + text};
}

}  // namespace

rir::Result<void> RandomBytes(std::span<unsigned char> out) {
  if (out.size() > INT_MAX || RAND_bytes(out.data(), static_cast<int>(out.size())) != 1) {
    return Failure("RAND_bytes");
  }
  return {};
}

rir::Result<void> Pbkdf2Sha256(std::string_view password, std::span<const unsigned char> salt,
                               std::uint32_t iterations, std::span<unsigned char> out) {
  if (password.size() > INT_MAX || salt.size() > INT_MAX || out.size() > INT_MAX ||
      iterations > INT_MAX) {
    return rir::Error{rir::ErrorCode::kPasswordHash, {}, "the password is too long"};
  }
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                        static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                        static_cast<int>(out.size()), out.data()) != 1) {
    return Failure("PKCS5_PBKDF2_HMAC");
  }
  return {};
}

bool ConstantTimeEqual(std::span<const unsigned char> a, std::span<const unsigned char> b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace settings::crypto
