#include "settings/password.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <string>

namespace {

using settings::HashPasswordWithSalt;
using settings::PasswordMatches;

bool Matches(std::string_view attempt, std::string_view stored) {
  const auto matched = PasswordMatches(attempt, stored);
  EXPECT_TRUE(matched) << rir::DescribeError(matched.error());
  return matched && *matched;
}

// A few iterations keep these tests quick; the stored text says how many to use.
std::string QuickHash(std::string_view typed) {
  const std::array<unsigned char, 4> salt = {1, 2, 3, 4};
  auto hashed = HashPasswordWithSalt(typed, salt, 10);
  EXPECT_TRUE(hashed);
  return hashed ? *hashed : std::string();
}

// The expected texts come from Python's hashlib.pbkdf2_hmac, so both presets, and any other
// system, agree with an implementation that is not ours.
TEST(PasswordHash, IsTheSameStandardTextOnEverySystem) {
  std::array<unsigned char, 16> salt{};
  std::iota(salt.begin(), salt.end(), 0);
  const auto full = HashPasswordWithSalt("correct horse", salt, settings::kPasswordIterations);
  ASSERT_TRUE(full) << rir::DescribeError(full.error());
  EXPECT_EQ(*full,
            "pbkdf2-sha256$600000$AAECAwQFBgcICQoLDA0ODw$"
            "lqWQTC4IyNpCMF28xdfPGOrSY21J9ZUmtgbyZpYoFHM");

  salt.fill(0xFF);
  const auto empty = HashPasswordWithSalt("", salt, 1);
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty,
            "pbkdf2-sha256$1$/////////////////////w$MDW6MSX6t0yh/d+0W5a7IV1ny+EUvBK8yKKtXigFg1k");
}

TEST(PasswordHash, NewHashesUseAFreshSaltAndTheFullCount) {
  const auto first = settings::HashPassword("secret");
  const auto second = settings::HashPassword("secret");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(first->rfind("pbkdf2-sha256$600000$", 0), 0u);
  EXPECT_EQ(first->find_first_of(" \t\"'="), std::string::npos) << *first;
  EXPECT_LE(first->size(), 254u);
  EXPECT_TRUE(Matches("secret", *first));
  EXPECT_FALSE(Matches("Secret", *first));
}

TEST(PasswordHash, MatchesTheExactTypedTextOnly) {
  const std::string padded = "  two blanks either side  ";
  EXPECT_TRUE(Matches(padded, QuickHash(padded)));
  EXPECT_FALSE(Matches("two blanks either side", QuickHash(padded)));

  const std::string long_password(300, 'p');
  EXPECT_TRUE(Matches(long_password, QuickHash(long_password)));
  EXPECT_FALSE(Matches(long_password.substr(0, 254), QuickHash(long_password)));

  EXPECT_TRUE(Matches("", QuickHash("")));
  EXPECT_FALSE(Matches(" ", QuickHash("")));
}

TEST(PasswordHash, TextWithoutTheHashFormIsThePasswordItself) {
  EXPECT_TRUE(Matches("legacy", "legacy"));
  EXPECT_FALSE(Matches("Legacy", "legacy"));
  EXPECT_FALSE(Matches("legacy ", "legacy"));
  EXPECT_TRUE(Matches("", ""));
  EXPECT_FALSE(Matches("x", ""));

  // Other schemes, or the scheme without its "$", are plain text too.
  for (const std::string stored :
       {"pbkdf2-sha256", "PBKDF2-SHA256$10$AAEC$lqWQTC4IyNpCMF28xdfPGOrSY21J9ZUmtgbyZpYoFHM",
        "pbkdf2-sha1$10$AAEC$lqWQTC4IyNpCMF28xdfPGOrSY21J9ZUmtgbyZpYoFHM"}) {
    EXPECT_TRUE(Matches(stored, stored)) << stored;
    EXPECT_FALSE(Matches("", stored)) << stored;
  }
}

}  // namespace
