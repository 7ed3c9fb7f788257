// "Comment Out Line N" in the check's result: a line of the hosts file that is not the program's
// own comes before the block and sends a blocked name elsewhere. Only the user may judge another
// program's line, so it is put out of use, not removed: a "#" before it, written as an Apply
// writes, the text it replaces kept in the history.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rir/file_read.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

// Where each line of `text` starts, lines ending at '\n' as the check counts them.
std::vector<std::size_t> LineStarts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t at = text.find('\n'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('\n', at + 1)) {
    starts.push_back(at + 1);
  }
  return starts;
}

std::string_view LineAt(std::string_view text, std::size_t start) {
  const std::size_t end = text.find('\n', start);
  return text.substr(start, end == std::string_view::npos ? end : end - start);
}

// Where in `to` the line starts that is line `number` (from 1) of `from`: the same bytes, as
// often seen before it. The list's entries may lie elsewhere in the text to save than in the file
// the check read, while the other lines are kept byte for byte and in their order.
std::optional<std::size_t> SameLine(std::string_view from, std::string_view to,
                                    std::size_t number) {
  const std::vector<std::size_t> starts = LineStarts(from);
  if (number == 0 || number > starts.size()) {
    return std::nullopt;
  }
  const std::string_view line = LineAt(from, starts[number - 1]);
  if (line.empty() || line.front() == '#') {
    return std::nullopt;
  }
  std::size_t before = 0;
  for (std::size_t i = 0; i + 1 < number; ++i) {
    if (LineAt(from, starts[i]) == line) {
      ++before;
    }
  }
  for (const std::size_t start : LineStarts(to)) {
    if (LineAt(to, start) == line && before-- == 0) {
      return start;
    }
  }
  return std::nullopt;
}

}  // namespace

void frmRirAvadera::CommentOutLines(const std::vector<std::size_t>& lines) {
  auto path = hosts_.Path();
  auto read =
      path ? rir::ReadSmallFile(*path) : rir::Result<std::optional<std::string>>(path.error());
  if (!read) {
    ShowFailure(services_, Failure::kCommentOut, read.error());
    return;
  }
  const std::string file = read->value_or(std::string());
  // The change goes into the text the list builds, the one an Apply saves: the file's own bytes
  // would give the line back at the next Apply, and drop what the list has not applied yet.
  TakeInFinishedChange();
  BuildHostsText();
  std::string text = m_strHostsText;
  std::vector<std::size_t> starts;
  for (const std::size_t line : lines) {
    const auto start = SameLine(file, text, line);
    if (!start) {
      ShowMessage(services_, LineGoneText(line));
      return;
    }
    starts.push_back(*start);
  }
  std::sort(starts.rbegin(), starts.rend());  // from the end, so that the others stay put
  for (const std::size_t start : starts) {
    text.insert(start, 1, '#');
  }
  auto saved = hosts_.Save(text);
  if (!saved && saved.error().code == rir::ErrorCode::kChangedSinceLoad) {
    OfferReload(saved.error().path);
    return;
  }
  if (!saved) {
    ShowFailure(services_, Failure::kCommentOut, saved.error());
    return;
  }
  // Read again, as after a restore, so that the next Apply keeps the line as it now is.
  ShowWrittenText(std::move(text), *saved);
  CheckBlocking(true);
}

}  // namespace ui
