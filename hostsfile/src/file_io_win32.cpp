#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "hostsfile/file_io.h"
#include "rir/win32_handle.h"

namespace hostsfile {

namespace {

using rir::Handle;

// A file that disappears unless kept (or moved away).
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty() && !kept_) {
      DeleteFileA(path_.c_str());
    }
  }
  bool CreateIn(const std::string& folder) {
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), "rir", 0, name) == 0) {
      return false;
    }
    path_ = name;
    return true;
  }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

std::string FolderOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) {
    return ".";
  }
  return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool WriteAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    const DWORD chunk = text.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(text.size());
    DWORD written = 0;
    if (!WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

// Whether the file holds exactly `text`, read in pieces, so that a file that is already right
// costs no copy of it in memory. A file that cannot be read counts as different: replacing it
// then reports why.
bool HoldsExactly(const std::string& path, std::string_view text) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) ||
      static_cast<unsigned long long>(size.QuadPart) != text.size()) {
    return false;
  }
  constexpr DWORD kPiece = DWORD{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t offset = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), piece.get(), kPiece, &got, nullptr)) {
      return false;
    }
    if (got == 0) {
      return offset == text.size();
    }
    if (offset + got > text.size() || std::memcmp(piece.get(), text.data() + offset, got) != 0) {
      return false;
    }
    offset += got;
  }
}

}  // namespace

bool FileHoldsExactly(const std::string& path, std::string_view text) {
  return HoldsExactly(path, text);
}

rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change,
                                      const BeforeCommit& before_commit) {
  const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!exists && !IsMissing(GetLastError())) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path);
  }
  // The file holds this text already (Apply without a change, or the second Apply of Exit).
  if (exists && HoldsExactly(path, text)) {
    return false;
  }
  if (before_change) {
    before_change();
  }

  TemporaryFile temporary;
  if (!temporary.CreateIn(FolderOf(path))) {
    return rir::SystemFailure(rir::ErrorCode::kCreateTemporary, path);
  }
  {
    Handle file(CreateFileA(temporary.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !WriteAll(file.get(), text)) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, temporary.path());
    }
    if (!FlushFileBuffers(file.get()) || !file.Close()) {
      return rir::SystemFailure(rir::ErrorCode::kFlush, temporary.path());
    }
  }
  if (before_commit) {
    if (auto ready = before_commit(std::nullopt); !ready) {
      return ready.error();
    }
  }

  // ReplaceFile keeps the hosts file's ACL and attributes, which a plain rename would lose.
  const BOOL replaced = exists ? ReplaceFileA(path.c_str(), temporary.path().c_str(), nullptr,
                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                               : MoveFileExA(temporary.path().c_str(), path.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    const DWORD code = GetLastError();
    const rir::Error error{rir::ErrorCode::kReplace, path,
                           rir::SystemReason(static_cast<int>(code))};
    // This failure means the old file is already gone and the new text still lies under its
    // temporary name: moving it into place is the only way back to a hosts file.
    if (exists && code == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        MoveFileExA(temporary.path().c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      temporary.Keep();
      return true;
    }
    return error;
  }
  temporary.Keep();
  return true;
}

rir::Result<FileStamp> StampOf(const std::string& path) {
  // Attributes only, shared with every other opener, so that no writer is held up.
  Handle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) {
    if (IsMissing(GetLastError())) {
      return FileStamp{};
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  const auto join = [](DWORD high, DWORD low) {
    return static_cast<std::uint64_t>(high) << 32 | low;
  };
  return FileStamp{
      true,
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0,
      info.dwVolumeSerialNumber,
      join(info.nFileIndexHigh, info.nFileIndexLow),
      join(info.nFileSizeHigh, info.nFileSizeLow),
      static_cast<std::int64_t>(
          join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)),
  };
}

// ReplaceFileA swaps the files in one step, so no save here is ever left half done.
rir::Result<std::optional<FinishedSave>> FinishInterruptedSave(
    const std::string& /*path*/,
    const std::function<rir::Result<void>(const std::string& text_path)>& /*keep_dropped*/) {
  return std::optional<FinishedSave>();
}

bool HasUnfinishedSave(const std::string& /*path*/) {
  return false;
}

bool UnfinishedSaveOutOfReach(const std::string& /*path*/) {
  return false;
}

}  // namespace hostsfile
