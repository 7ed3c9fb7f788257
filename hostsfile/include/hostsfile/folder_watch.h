// Whether the hosts file may have changed since the last look, as the system tells it: a notice
// of a change in the file's folder (a save by rename replaces the file, so the folder is watched,
// not the file). Cheap to ask often, and it never waits. Where no notice can come (the system
// gives none, a file bound onto its place and written through another path), the caller compares
// the file's stamp now and then as well.
#pragma once

#include <memory>
#include <string>

namespace hostsfile {

class FolderWatch {
 public:
  // Watches the folder of the file at `path` for changes to that name.
  explicit FolderWatch(const std::string& path);
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  ~FolderWatch();

  bool watching() const;
  // Whether a change was noticed since the last call.
  bool Changed();

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace hostsfile
