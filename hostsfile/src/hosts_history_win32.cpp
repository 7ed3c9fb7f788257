// The history's file system calls on Windows.
#include <windows.h>

#include <optional>

#include "hosts_history_files.h"
#include "rir/path.h"
#include "rir/win32_handle.h"

namespace hostsfile::history_files {

namespace {

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder above `path`; `path` itself at a root ("C:\", "\\server\share").
std::string ParentOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos || separator < 3) {
    return path;
  }
  return path.substr(0, separator);
}

KeptTime LocalTime(const FILETIME& written) {
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&written, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return {};
  }
  return KeptTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

rir::Error Failure(rir::ErrorCode code, const std::string& path, DWORD error) {
  return rir::Error{code, path, rir::SystemReason(static_cast<int>(error))};
}

struct SearchCloser {
  void operator()(HANDLE search) const { FindClose(search); }
};

}  // namespace

rir::Result<void> MakeFolder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) {
    return {};
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS && IsFolder(folder)) {
    return {};
  }
  if (error == ERROR_PATH_NOT_FOUND) {
    const std::string parent = ParentOf(folder);
    if (parent != folder) {
      if (auto made = MakeFolder(parent); !made) {
        return made;
      }
      if (CreateDirectoryA(folder.c_str(), nullptr)) {
        return {};
      }
      const DWORD again = GetLastError();
      if (again == ERROR_ALREADY_EXISTS && IsFolder(folder)) {
        return {};
      }
      return Failure(rir::ErrorCode::kCreateFolder, folder, again);
    }
  }
  return Failure(rir::ErrorCode::kCreateFolder, folder, error);
}

rir::Result<std::vector<Item>> FilesIn(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const HANDLE first = FindFirstFileA(rir::FileInFolder(folder, "*").c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) {
      // A file where the folder belongs is no missing folder: nothing could ever be kept there.
      if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Failure(rir::ErrorCode::kListFolder, folder, ERROR_DIRECTORY);
      }
      return std::vector<Item>{};
    }
    return Failure(rir::ErrorCode::kListFolder, folder, error);
  }
  const std::unique_ptr<void, SearchCloser> search(first);
  std::vector<Item> files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(Item{found.cFileName, LocalTime(found.ftLastWriteTime)});
    }
  } while (FindNextFileA(first, &found));
  if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
    return Failure(rir::ErrorCode::kListFolder, folder, error);
  }
  return files;
}

rir::Result<void> RemoveFile(const std::string& path) {
  if (!DeleteFileA(path.c_str()) && !IsMissing(GetLastError())) {
    return rir::SystemFailure(rir::ErrorCode::kRemove, path);
  }
  return {};
}

struct NewFile::State {
  explicit State(const std::string& path) : temporary(path + ".partial") {}
  std::string temporary;
  std::optional<rir::Handle> file;
  bool committed = false;
};

NewFile::NewFile(std::string path)
    : path_(std::move(path)), state_(std::make_unique<State>(path_)) {}

NewFile::~NewFile() {
  state_->file.reset();
  if (!state_->committed) {
    DeleteFileA(state_->temporary.c_str());
  }
}

rir::Result<void> NewFile::Open(const std::string& /*like*/) {
  // A temporary file that a crash left under this name is written over.
  state_->file.reset();
  state_->file.emplace(CreateFileA(state_->temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!state_->file->valid()) {
    return rir::SystemFailure(rir::ErrorCode::kCreateTemporary, path_);
  }
  return {};
}

rir::Result<void> NewFile::Write(std::string_view piece) {
  while (!piece.empty()) {
    const DWORD chunk = piece.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(piece.size());
    DWORD written = 0;
    if (!WriteFile(state_->file->get(), piece.data(), chunk, &written, nullptr) || written == 0) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, state_->temporary);
    }
    piece.remove_prefix(written);
  }
  return {};
}

rir::Result<void> NewFile::Commit() {
  if (!FlushFileBuffers(state_->file->get()) || !state_->file->Close()) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, state_->temporary);
  }
  if (!MoveFileExA(state_->temporary.c_str(), path_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return rir::SystemFailure(rir::ErrorCode::kRename, state_->temporary);
  }
  state_->committed = true;
  return {};
}

}  // namespace hostsfile::history_files
