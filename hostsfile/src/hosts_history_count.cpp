// Counting entries without a list: the history shows how many entries each copy holds, and a copy
// of a large hosts file should not cost a list of its own just to be counted.
#include <algorithm>

#include "hostsfile/hosts_format.h"
#include "hostsfile/hosts_history.h"
#include "rir/text.h"

namespace hostsfile {

namespace {

enum class Kind { kOther, kIpv4, kIpv6 };

struct Form {
  std::string_view prefix;
  Kind kind;
  blocklist::Status status;
};

constexpr Form kForms[] = {
    {kBlockedPrefix, Kind::kIpv4, blocklist::Status::kBlocked},
    {kBlockedIpv6Prefix, Kind::kIpv6, blocklist::Status::kBlocked},
    {kAllowedPrefix, Kind::kIpv4, blocklist::Status::kAllowed},
    {kAllowedIpv6Prefix, Kind::kIpv6, blocklist::Status::kAllowed},
};

// Whether the start of a line read so far agrees with one of the prefixes.
bool CouldBeEntry(std::string_view begun) {
  for (const Form& form : kForms) {
    const std::size_t length = std::min(begun.size(), form.prefix.size());
    if (begun.substr(0, length) == form.prefix.substr(0, length)) {
      return true;
    }
  }
  return false;
}

const Form* FormOf(std::string_view line) {
  for (const Form& form : kForms) {
    if (line.starts_with(form.prefix)) {
      return &form;
    }
  }
  return nullptr;
}

}  // namespace

void EntryLineCounter::Feed(std::string_view piece) {
  std::size_t at = 0;
  if (after_cr_ && !piece.empty()) {
    after_cr_ = false;
    at = piece.front() == '\n' ? 1 : 0;
  }
  while (at < piece.size()) {
    const std::size_t end = rir::LineEndAt(piece, at);
    if (end == piece.size()) {
      Add(piece.substr(at));
      return;
    }
    Add(piece.substr(at, end - at));
    EndLine();
    at = end + 1;
    if (piece[end] == '\r') {
      if (at == piece.size()) {
        after_cr_ = true;  // the LF of a CR LF may begin the next piece
        return;
      }
      if (piece[at] == '\n') {
        ++at;
      }
    }
  }
}

void EntryLineCounter::Add(std::string_view text) {
  if (other_) {
    return;
  }
  if (text.find('\0') != std::string_view::npos) {
    other_ = true;  // the parser leaves a line holding NUL alone
    line_.clear();
    return;
  }
  line_.append(text);
  if (!CouldBeEntry(line_)) {
    other_ = true;
    line_.clear();
  }
}

void EntryLineCounter::EndLine() {
  const Form* form = other_ ? nullptr : FormOf(line_);
  const bool partner_wanted = partner_wanted_;
  partner_wanted_ = false;
  if (form != nullptr) {
    const std::string_view website = EntryName(std::string_view(line_).substr(form->prefix.size()));
    const Form* ipv4 = partner_wanted ? FormOf(last_ipv4_) : nullptr;
    const bool partner =
        form->kind == Kind::kIpv6 && ipv4 != nullptr && ipv4->status == form->status &&
        EntryName(std::string_view(last_ipv4_).substr(ipv4->prefix.size())) == website;
    if (!partner) {
      ++count_;
      if (form->kind == Kind::kIpv4) {
        partner_wanted_ = true;
        last_ipv4_.swap(line_);
      }
    }
  }
  line_.clear();
  other_ = false;
}

std::size_t EntryLineCounter::Finish() {
  EndLine();
  return count_;
}

}  // namespace hostsfile
