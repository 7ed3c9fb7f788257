// Files for tests, in a fresh folder of their own that is removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::filesystem::path& path() const { return path_; }
  // A path inside the folder as the program's own calls take it (8-bit, native separators).
  std::string File(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
// Writes as another program that finished a while ago: its time a few seconds back, so that the
// program takes it as finished at once.
void WriteFinished(const std::string& path, std::string_view bytes);

// How many files and folders lie directly in `folder`.
std::size_t FilesIn(const std::filesystem::path& folder);

// A file from tests/data/ (the folder is compiled in).
std::string DataFile(std::string_view name);

}  // namespace testsupport
