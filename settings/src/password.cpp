#include "settings/password.h"

#include <array>
#include <charconv>
#include <vector>

#include "base64.h"
#include "crypto.h"

namespace settings {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
// What every stored hash begins with; a value that begins so is never taken as plain text.
constexpr std::string_view kHashPrefix = "pbkdf2-sha256$";
constexpr std::size_t kHashBytes = 32;
// A hand-edited state file must not be able to make a login attempt take hours.
constexpr std::uint32_t kMostIterations = 20'000'000;

struct StoredHash {
  std::uint32_t iterations;
  std::vector<unsigned char> salt;
  std::vector<unsigned char> hash;
};

rir::Error Damaged(std::string reason) {
  return rir::Error{rir::ErrorCode::kDamagedPasswordHash, {}, std::move(reason)};
}

// `stored` begins with kHashPrefix.
rir::Result<StoredHash> ParseStoredHash(std::string_view stored) {
  std::array<std::string_view, 4> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto dollar = stored.find('$');
    if ((dollar == std::string_view::npos) != (i == fields.size() - 1)) {
      return Damaged("it is not of the form " + std::string(kScheme) +
                     "$<iterations>$<salt>$<hash>");
    }
    fields[i] = stored.substr(0, dollar);
    stored = dollar == std::string_view::npos ? std::string_view() : stored.substr(dollar + 1);
  }
  std::uint32_t iterations = 0;
  const auto [end, error] =
      std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), iterations);
  if (error != std::errc() || end != fields[1].data() + fields[1].size() || iterations == 0 ||
      iterations > kMostIterations) {
    return Damaged("its iteration count is not a whole number from 1 to " +
                   std::to_string(kMostIterations));
  }
  auto salt = DecodeBase64(fields[2]);
  if (!salt || salt->empty()) {
    return Damaged(salt ? "its salt is empty" : "its salt is not base64 text");
  }
  auto hash = DecodeBase64(fields[3]);
  if (!hash) {
    return Damaged("its hash is not base64 text");
  }
  if (hash->size() != kHashBytes) {
    return Damaged("its hash is " + std::to_string(hash->size()) + " bytes long, not " +
                   std::to_string(kHashBytes));
  }
  return StoredHash{iterations, std::move(*salt), std::move(*hash)};
}

std::span<const unsigned char> Bytes(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

}  // namespace

rir::Result<std::string> HashPasswordWithSalt(std::string_view typed,
                                              std::span<const unsigned char> salt,
                                              std::uint32_t iterations) {
  std::array<unsigned char, kHashBytes> hash{};
  if (auto derived = crypto::Pbkdf2Sha256(typed, salt, iterations, hash); !derived) {
    return derived.error();
  }
  std::string stored(kScheme);
  stored += '$';
  stored += std::to_string(iterations);
  stored += '$';
  stored += EncodeBase64(salt);
  stored += '$';
  stored += EncodeBase64(hash);
  return stored;
}

rir::Result<std::string> HashPassword(std::string_view typed) {
  std::array<unsigned char, kPasswordSaltBytes> salt{};
  if (auto filled = crypto::RandomBytes(salt); !filled) {
    return filled.error();
  }
  return HashPasswordWithSalt(typed, salt, kPasswordIterations);
}

rir::Result<bool> PasswordMatches(std::string_view attempt, std::string_view stored) {
  if (!stored.starts_with(kHashPrefix)) {
    return crypto::ConstantTimeEqual(Bytes(attempt), Bytes(stored));
  }
  // A damaged hash matches nothing. Taken as plain text, it would let in whoever can read it.
  const auto parsed = ParseStoredHash(stored);
  if (!parsed) {
    return parsed.error();
  }
  std::array<unsigned char, kHashBytes> hash{};
  if (auto derived = crypto::Pbkdf2Sha256(attempt, parsed->salt, parsed->iterations, hash);
      !derived) {
    return derived.error();
  }
  return crypto::ConstantTimeEqual(hash, parsed->hash);
}

}  // namespace settings
