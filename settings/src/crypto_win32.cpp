// Windows CNG (bcrypt.dll).
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <cstdio>
#include <string>

#include "crypto.h"

namespace settings::crypto {

namespace {

rir::Error Failure(const char* call, NTSTATUS status) {
  char code[16] = {};
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  return rir::Error{
      rir::ErrorCode::kPasswordHash, {}, std::string(call) + " failed, status " + code};
}

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

class AlgorithmProvider {
 public:
  AlgorithmProvider() = default;
  AlgorithmProvider(const AlgorithmProvider&) = delete;
  AlgorithmProvider& operator=(const AlgorithmProvider&) = delete;
  ~AlgorithmProvider() {
    if (handle_ != nullptr) {
      BCryptCloseAlgorithmProvider(handle_, 0);
    }
  }
  BCRYPT_ALG_HANDLE* out() { return &handle_; }
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

rir::Result<void> RandomBytes(std::span<unsigned char> out) {
  if (out.size() > ULONG_MAX) {
    return rir::Error{rir::ErrorCode::kPasswordHash, {}, "too many random bytes asked for"};
  }
  const NTSTATUS status = BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (!Succeeded(status)) {
    return Failure("BCryptGenRandom", status);
  }
  return {};
}

rir::Result<void> Pbkdf2Sha256(std::string_view password, std::span<const unsigned char> salt,
                               std::uint32_t iterations, std::span<unsigned char> out) {
  if (password.size() > ULONG_MAX || salt.size() > ULONG_MAX || out.size() > ULONG_MAX) {
    return rir::Error{rir::ErrorCode::kPasswordHash, {}, "the password is too long"};
  }
  AlgorithmProvider hmac;
  NTSTATUS status = BCryptOpenAlgorithmProvider(hmac.out(), BCRYPT_SHA256_ALGORITHM, nullptr,
                                                BCRYPT_ALG_HANDLE_HMAC_FLAG);
  if (!Succeeded(status)) {
    return Failure("BCryptOpenAlgorithmProvider", status);
  }
  // CNG takes the buffers as writable pointers but only reads them.
  auto* const password_bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
  auto* const salt_bytes = const_cast<PUCHAR>(salt.data());
  status = BCryptDeriveKeyPBKDF2(hmac.get(), password_bytes, static_cast<ULONG>(password.size()),
                                 salt_bytes, static_cast<ULONG>(salt.size()), iterations,
                                 out.data(), static_cast<ULONG>(out.size()), 0);
  if (!Succeeded(status)) {
    return Failure("BCryptDeriveKeyPBKDF2", status);
  }
  return {};
}

bool ConstantTimeEqual(std::span<const unsigned char> a, std::span<const unsigned char> b) {
  if (a.size() != b.size()) {
    return false;
  }
  // CNG has no comparison of its own; every byte is looked at whatever the earlier ones were.
  volatile unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference = static_cast<unsigned char>(difference | (a[i] ^ b[i]));
  }
  return difference == 0;
}

}  // namespace settings::crypto
