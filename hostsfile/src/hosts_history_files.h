// The file system calls the hosts file's history makes, one set for each platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/hosts_history.h"
#include "rir/result.h"

namespace hostsfile::history_files {

// A file in a folder, with the time it was last written.
struct Item {
  std::string name;
  KeptTime modified;
};

// Makes the folder and any of its parents that are missing; a folder that is there is fine.
rir::Result<void> MakeFolder(const std::string& folder);

// The files directly in the folder (no folders); none when the folder is not there.
rir::Result<std::vector<Item>> FilesIn(const std::string& folder);

rir::Result<void> RemoveFile(const std::string& path);

// A file that appears at its path only once it is whole: written under a temporary name beside
// it, flushed, then renamed. Unless committed, the temporary file is removed.
class NewFile {
 public:
  explicit NewFile(std::string path);
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile();

  // Made as the file `like` is where the system keeps owners and modes: the same owner and
  // group, and no more readable than it (a history copy of a file only root may read is root's).
  rir::Result<void> Open(const std::string& like);
  rir::Result<void> Write(std::string_view piece);
  rir::Result<void> Commit();

 private:
  struct State;  // the platform's temporary file
  std::string path_;
  std::unique_ptr<State> state_;
};

}  // namespace hostsfile::history_files
