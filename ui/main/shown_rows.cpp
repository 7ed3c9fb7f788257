#include "ui/main/shown_rows.h"

#include <algorithm>

#include "blocklist/host_name.h"

namespace ui {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `website` holds `sought` (in lower case), whatever the case of its ASCII letters.
bool Holds(std::string_view website, std::string_view sought) {
  if (sought.size() > website.size()) {
    return false;
  }
  const char first = sought.front();
  for (std::size_t at = 0; at + sought.size() <= website.size(); ++at) {
    if (Lower(website[at]) == first &&
        std::equal(sought.begin() + 1, sought.end(),
                   website.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                   [](char s, char w) { return s == Lower(w); })) {
      return true;
    }
  }
  return false;
}

// Whether `website` has a label that may hold other letters to show ("xn--", any case). Looked
// for at each "--", which few names have: this runs for every row at every letter typed.
bool MayBeEncoded(std::string_view website) {
  for (std::size_t at = website.find("--", 2); at != std::string_view::npos;
       at = website.find("--", at + 1)) {
    if (Lower(website[at - 2]) == 'x' && Lower(website[at - 1]) == 'n') {
      return true;
    }
  }
  return false;
}

// Whether the row shows `sought`: in the name as it is kept, or in the letters an
// internationalised name is shown in ("bü" and "her.ex" find xn--bcher-kva.example, shown as
// bücher.example). A row that shows a text in either form shows every shorter start of it in that
// form, so one more letter still only narrows the rows.
bool Shows(std::string_view website, std::string_view sought) {
  return Holds(website, sought) ||
         (MayBeEncoded(website) && Holds(blocklist::ShownName(website), sought));
}

}  // namespace

std::optional<std::size_t> ShownRows::RowOf(std::size_t position) const {
  if (text_.empty()) {
    return position;
  }
  const auto at = std::lower_bound(positions_.begin(), positions_.end(), position);
  if (at == positions_.end() || *at != position) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(at - positions_.begin());
}

void ShownRows::Seek(const blocklist::BlockList& list, std::string_view text) {
  std::string sought(text);
  std::transform(sought.begin(), sought.end(), sought.begin(), Lower);
  if (sought == text_) {
    return;
  }
  // One more letter can only narrow what is shown: the rest of the list is not looked at.
  const bool narrower = !text_.empty() && sought.starts_with(text_);
  text_ = std::move(sought);
  if (text_.empty()) {
    positions_ = {};
    return;
  }
  if (narrower) {
    std::erase_if(positions_,
                  [&](std::uint32_t position) { return !Shows(list[position].website, text_); });
    return;
  }
  Refresh(list);
}

void ShownRows::Refresh(const blocklist::BlockList& list) {
  positions_.clear();
  if (text_.empty()) {
    positions_.shrink_to_fit();
    return;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (Shows(list[i].website, text_)) {
      positions_.push_back(static_cast<std::uint32_t>(i));
    }
  }
}

}  // namespace ui
