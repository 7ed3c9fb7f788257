#include "rir/file_read.h"

namespace rir {

Result<std::optional<std::string>> ReadSmallFile(const std::string& path) {
  std::string text;
  auto found = ReadFileInPieces(path, [&](std::string_view piece, std::size_t file_size) {
    if (text.empty()) {
      text.reserve(file_size);
    }
    text.append(piece);
  });
  if (!found) {
    return found.error();
  }
  return *found ? std::optional<std::string>(std::move(text)) : std::nullopt;
}

}  // namespace rir
