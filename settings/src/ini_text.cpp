#include "ini_text.h"

#include <cstddef>
#include <optional>

#include "rir/text.h"

namespace settings {

namespace {

std::string_view Trim(std::string_view text) {
  return rir::Trimmed(text, " \t\r\v\f");
}

// The Windows calls skip one UTF-8 byte order mark at the start of the file. (They also read the
// values after it as UTF-8; here values are bytes, whatever their encoding.)
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::size_t MarkLength(std::string_view text) {
  return text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// One line of the text: [begin, content_end) is its content, [content_end, end) its line end.
struct Line {
  std::size_t begin;
  std::size_t content_end;
  std::size_t end;
};

enum class LineKind { kBlank, kSection, kEntry, kOther };

struct ParsedLine {
  LineKind kind;
  std::string_view name;                  // the section's or the key's name, trimmed
  std::optional<std::string_view> value;  // after the first "=", untrimmed
};

ParsedLine Parse(std::string_view content) {
  const std::string_view trimmed = Trim(content);
  if (trimmed.empty()) {
    return {LineKind::kBlank, {}, {}};
  }
  if (trimmed.front() == '[') {
    const auto close = trimmed.rfind(']');
    if (close == 0 || close == std::string_view::npos) {
      return {LineKind::kOther, {}, {}};  // a broken section line belongs to no section
    }
    return {LineKind::kSection, Trim(trimmed.substr(1, close - 1)), {}};
  }
  const auto equals = trimmed.find('=');
  if (equals == std::string_view::npos) {
    return {LineKind::kEntry, trimmed, {}};
  }
  return {LineKind::kEntry, Trim(trimmed.substr(0, equals)), trimmed.substr(equals + 1)};
}

// Walks the lines of a text, after the UTF-8 byte order mark that may stand before the first.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text), position_(MarkLength(text)) {}

  // As the Windows calls read a file: every CR and every LF ends a line, a CR LF pair once.
  std::optional<Line> Next() {
    if (position_ >= text_.size()) {
      return std::nullopt;
    }
    const std::size_t begin = position_;
    const auto found = text_.find_first_of("\r\n", begin);
    const std::size_t content_end = found == std::string_view::npos ? text_.size() : found;
    std::size_t end = content_end;
    if (end < text_.size()) {
      end += text_.compare(end, 2, "\r\n") == 0 ? std::size_t{2} : std::size_t{1};
    }
    position_ = end;
    return Line{begin, content_end, end};
  }

  std::string_view Content(const Line& line) const {
    return text_.substr(line.begin, line.content_end - line.begin);
  }

 private:
  std::string_view text_;
  std::size_t position_;
};

// Where a section and a key were found in a text.
struct Place {
  bool section_found = false;
  std::optional<Line> key_line;           // the first line of the key
  std::optional<Line> section_last_line;  // the last non-blank line of the section, header included
  std::optional<std::string_view> key_value;
  std::string_view key_name;
};

// Only the first section of a name counts, and in it only the first line of a key, as with the
// Windows calls; a second section of the same name is never read or written.
Place Locate(std::string_view text, std::string_view section, std::string_view key) {
  Place place;
  Lines lines(text);
  bool inside = section.empty();  // lines before any section line form the nameless one
  place.section_found = inside;
  while (const auto line = lines.Next()) {
    const ParsedLine parsed = Parse(lines.Content(*line));
    if (parsed.kind == LineKind::kSection) {
      if (inside) {
        break;
      }
      inside = SameName(parsed.name, section);
      if (inside) {
        place.section_found = true;
        place.section_last_line = line;
      }
      continue;
    }
    if (!inside) {
      continue;
    }
    if (parsed.kind != LineKind::kBlank) {
      place.section_last_line = line;
    }
    if (parsed.kind == LineKind::kEntry && !place.key_line && SameName(parsed.name, key)) {
      place.key_line = line;
      place.key_value = parsed.value;
      place.key_name = parsed.name;
    }
  }
  return place;
}

std::string_view FirstLineEnd(std::string_view text) {
  const auto end = text.find_first_of("\r\n");
  if (end == std::string_view::npos || text.compare(end, 2, "\r\n") == 0) {
    return "\r\n";  // what the Windows calls write
  }
  return text[end] == '\r' ? std::string_view("\r") : std::string_view("\n");
}

}  // namespace

std::string FindIniValue(std::string_view text, std::string_view section, std::string_view key) {
  // The names asked for are trimmed as the names in the file are.
  const Place place = Locate(text, Trim(section), Trim(key));
  if (!place.key_value) {
    return {};
  }
  std::string_view value = Trim(*place.key_value);
  // The Windows calls give back a value up to its first NUL, then take off its quotes.
  value = value.substr(0, value.find('\0'));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  // Written as they will be read: a name with blanks around it would never be found again.
  section = Trim(section);
  key = Trim(key);
  const std::string_view line_end = FirstLineEnd(text);
  const Place place = Locate(text, section, key);
  std::string result;
  result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

  if (place.key_line) {
    // The key keeps its spelling; the line keeps its line end.
    result.append(text.substr(0, place.key_line->begin));
    result.append(place.key_name).append("=").append(value);
    result.append(text.substr(place.key_line->content_end));
    return result;
  }

  const std::string new_line = std::string(key) + "=" + std::string(value);
  if (place.section_found && place.section_last_line) {
    const Line& last = *place.section_last_line;
    result.append(text.substr(0, last.end));
    if (last.end == last.content_end) {
      // The section ended the text without a line end.
      result.append(line_end);
    }
    result.append(new_line).append(line_end);
    result.append(text.substr(last.end));
    return result;
  }
  if (place.section_found) {
    // The nameless section with no lines yet: the key goes first, after the byte order mark.
    const std::size_t mark = MarkLength(text);
    return std::string(text.substr(0, mark)) + new_line + std::string(line_end) +
           std::string(text.substr(mark));
  }

  result.append(text);
  if (text.size() > MarkLength(text) && text.back() != '\n' && text.back() != '\r') {
    result.append(line_end);
  }
  result.append("[").append(section).append("]").append(line_end);
  result.append(new_line).append(line_end);
  return result;
}

}  // namespace settings
