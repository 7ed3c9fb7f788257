// Counting entry lines without a list: the history shows how many entries each copy holds, and a
// copy of a large hosts file should not cost a list of its own just to be counted.
#include "blocklist/hosts_format.h"
#include "blocklist/hosts_history.h"

namespace blocklist {

void EntryLineCounter::Feed(std::string_view piece) {
  for (const char byte : piece) {
    // A CR LF ends a line and then an empty one, which is no entry: the count is the same as if
    // the pair had ended one line.
    if (byte == '\n' || byte == '\r') {
      EndLine();
      continue;
    }
    if (other_) {
      continue;
    }
    if (byte == '\0') {
      other_ = true;  // the parser leaves a line holding NUL alone
      continue;
    }
    if (matched_ == 0) {
      allowed_ = byte == kAllowedPrefix.front();
      if (!allowed_ && byte != kBlockedPrefix.front()) {
        other_ = true;
        continue;
      }
      matched_ = 1;
      continue;
    }
    const std::string_view prefix = allowed_ ? kAllowedPrefix : kBlockedPrefix;
    if (matched_ < prefix.size()) {
      if (byte != prefix[matched_]) {
        other_ = true;
        continue;
      }
      ++matched_;
    }
  }
}

void EntryLineCounter::EndLine() {
  const std::string_view prefix = allowed_ ? kAllowedPrefix : kBlockedPrefix;
  if (!other_ && matched_ == prefix.size()) {
    ++count_;
  }
  matched_ = 0;
  allowed_ = false;
  other_ = false;
}

std::size_t EntryLineCounter::Finish() {
  EndLine();
  return count_;
}

}  // namespace blocklist
