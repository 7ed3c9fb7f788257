#include "settings/login_record.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "rir/path.h"
#include "settings/password.h"
#include "settings/record_file.h"

namespace settings {

namespace {

using Seconds = std::chrono::seconds;

using Milliseconds = std::chrono::milliseconds;

// The count as the file keeps it: "failures=<n>\nlast=<milliseconds since 1970>\n".
struct Count {
  std::uint32_t failures = 0;
  std::int64_t last = 0;
};

template <class Number>
bool ValueAfter(std::string_view text, std::string_view key, Number& value) {
  const auto at = text.find(key);
  if (at == std::string_view::npos) {
    return false;
  }
  const std::string_view digits = text.substr(at + key.size());
  return std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc();
}

std::int64_t Now() {
  return std::chrono::duration_cast<Milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A record that cannot be read as one (cut short by a crash during its write) counts as the
// failures that cost nothing used up, long ago, so that losing it never gives a guesser a fresh
// start.
Count Parse(std::string_view text) {
  Count count;
  if (text.empty()) {
    return count;
  }
  if (!ValueAfter(text, "failures=", count.failures) || !ValueAfter(text, "\nlast=", count.last)) {
    return Count{kFreeWrongPasswords, 0};
  }
  return count;
}

std::string Text(const Count& count) {
  return "failures=" + std::to_string(count.failures) + "\nlast=" + std::to_string(count.last) +
         "\n";
}

std::string WaitReason(Milliseconds left) {
  const auto seconds = std::chrono::ceil<Seconds>(left).count();
  return "try again in " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

std::chrono::seconds LoginWaitAfter(std::uint32_t failures) {
  if (failures < kFreeWrongPasswords) {
    return Seconds{0};
  }
  const std::uint32_t doublings = failures - kFreeWrongPasswords;
  if (doublings >= 20) {
    return kLongestLoginWait;
  }
  return std::min(Seconds{std::int64_t{1} << doublings}, kLongestLoginWait);
}

std::string LoginRecordPathIn(const std::string& data_folder) {
  return rir::FileInFolder(data_folder, "failed-logins");
}

rir::Result<void> LoginRecord::BeginAttempt() const {
  auto file = LockedRecordFile::Open(path_);
  if (!file) {
    return file.error();
  }
  auto text = file->Read();
  if (!text) {
    return text.error();
  }
  Count count = Parse(*text);
  const std::int64_t now = Now();
  const Milliseconds wait = LoginWaitAfter(count.failures);
  // A clock set back never makes the wait longer than it is.
  const Milliseconds since{std::clamp<std::int64_t>(now - count.last, 0, wait.count())};
  if (since < wait) {
    return rir::Error{rir::ErrorCode::kTooManyWrongPasswords, path_, WaitReason(wait - since)};
  }
  count.failures = count.failures == UINT32_MAX ? count.failures : count.failures + 1;
  count.last = now;
  return file->Write(Text(count));
}

rir::Result<void> LoginRecord::Clear() const {
  auto file = LockedRecordFile::Open(path_);
  if (!file) {
    return file.error();
  }
  auto text = file->Read();
  if (!text) {
    return text.error();
  }
  if (text->empty()) {
    return {};
  }
  return file->Write("");
}

rir::Result<bool> LoginRecord::Matches(std::string_view attempt, std::string_view stored) const {
  if (auto begun = BeginAttempt(); !begun) {
    return begun.error();
  }
  auto matches = PasswordMatches(attempt, stored);
  if (matches && *matches) {
    if (auto cleared = Clear(); !cleared) {
      return cleared.error();
    }
  }
  return matches;
}

}  // namespace settings
