// Which entries the list control shows, and in which of its rows: every entry, or while the
// find box holds a text, only those whose website holds it. The control's rows are counted
// among the rows shown; the list's positions among all entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"

namespace ui {

class ShownRows {
 public:
  std::size_t size(const blocklist::BlockList& list) const {
    return text_.empty() ? list.size() : positions_.size();
  }
  // The list position of a row shown; `row` must be below size().
  std::size_t Position(std::size_t row) const { return text_.empty() ? row : positions_[row]; }
  // The row that shows the entry at `position`, if the find box lets it be shown.
  std::optional<std::size_t> RowOf(std::size_t position) const;
  bool Narrowed() const { return !text_.empty(); }

  // Shows only the entries whose website holds `text`, whatever the case of ASCII letters (an
  // internationalised name also where its letters as shown hold it); an empty text shows all. A
  // text that goes on from the last one looks only among the rows it left shown, which is what
  // typing one more letter does.
  void Seek(const blocklist::BlockList& list, std::string_view text);
  // After the list changed: the rows that hold the text, looked for afresh.
  void Refresh(const blocklist::BlockList& list);

 private:
  std::string text_;  // as sought, in lower case
  std::vector<std::uint32_t> positions_;
};

}  // namespace ui
