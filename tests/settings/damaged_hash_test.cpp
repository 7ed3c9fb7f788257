// A stored value that begins as a hash does but is none lets nobody in, not even whoever types
// the stored text itself.
#include <gtest/gtest.h>

#include <string>

#include "settings/password.h"
#include "settings/state_file.h"
#include "temp_folder.h"

namespace {

constexpr std::string_view kGoodHash = "lqWQTC4IyNpCMF28xdfPGOrSY21J9ZUmtgbyZpYoFHM";

struct Damage {
  std::string stored;
  std::string_view reason;  // a part of what the error says
};

std::vector<Damage> DamagedValues() {
  const std::string head = "pbkdf2-sha256$";
  const std::string hash(kGoodHash);
  return {
      {head + "0$AAEC$" + hash, "iteration count"},
      {head + "20000001$AAEC$" + hash, "iteration count"},
      {head + "4294967296$AAEC$" + hash, "iteration count"},
      {head + "99999999999$AAEC$" + hash, "iteration count"},
      {head + "-1$AAEC$" + hash, "iteration count"},
      {head + "10x$AAEC$" + hash, "iteration count"},
      {head + "10$AAEC$" + hash.substr(0, 20), "bytes long"},
      {head + "10$AAEC$" + hash + "AAAA", "bytes long"},
      {head + "10$AAEC$short", "hash is not base64"},
      {head + "10$!!$" + hash, "salt"},
      {head + "10$$" + hash, "salt"},
      {head + "10$AAEC$" + hash.substr(0, 42) + "*", "hash is not base64"},
      {head + "10$AAEC$" + hash + "=", "hash is not base64"},
      {head + "10$AAEC", "form"},
      {head + "10$AAEC$" + hash + "$more", "form"},
      {head, "form"},
  };
}

TEST(DamagedHash, MatchesNoAttemptAndSaysWhatIsWrong) {
  for (const Damage& damage : DamagedValues()) {
    SCOPED_TRACE(damage.stored);
    for (const std::string& attempt : {damage.stored, std::string(), std::string("x")}) {
      const auto matched = settings::PasswordMatches(attempt, damage.stored);
      ASSERT_FALSE(matched) << "matched: " << *matched;
      EXPECT_EQ(matched.error().code, rir::ErrorCode::kDamagedPasswordHash);
      EXPECT_NE(matched.error().reason.find(damage.reason), std::string::npos)
          << matched.error().reason;
    }
  }
}

TEST(DamagedHash, InTheStateFileItLetsNobodyIn) {
  testsupport::TempFolder folder;
  const std::string path = folder.File("state.dll");
  const std::string stored = "pbkdf2-sha256$0$AAEC$" + std::string(kGoodHash);
  testsupport::WriteBytes(path, "[settings]\r\npwd=" + stored + "\r\n");
  const auto read = settings::StateFile(path).ReadPassword();
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, stored);
  EXPECT_FALSE(settings::PasswordMatches(stored, *read));
  EXPECT_FALSE(settings::PasswordMatches("", *read));
}

}  // namespace
