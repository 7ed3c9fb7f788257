// Making files and folders unwritable or unreadable for a test, even when the tests run as root.
#pragma once

#include <memory>
#include <string>

namespace testsupport {

// While one lives, the code under test cannot open the file for reading.
class UnreadableFile {
 public:
  explicit UnreadableFile(const std::string& path);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// While one lives, the file cannot be written or replaced.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

#ifndef _WIN32
// While one lives, nothing can be created in the folder. (On Windows a folder's read-only
// attribute does not stop that; only its access list would.)
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& path);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
#endif

}  // namespace testsupport
