// Replacing the hosts file. By default a new file takes the old one's place in one rename, so a
// reader or a crash sees the old file or the new one, never a mixture. Where a rename cannot
// replace the file, it is rewritten in place behind a journal (save_journal_posix.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "file_bytes.h"
#include "file_metadata_posix.h"
#include "hostsfile/file_io.h"
#include "rewrite_in_place.h"
#include "rir/file_read.h"
#include "rir/posix_file.h"
#include "save_journal_posix.h"

namespace hostsfile {

namespace {

using rir::FileDescriptor;
using rir::FileSize;
using rir::ReadSome;

rir::Result<FileBytes> ReadAll(int fd, const std::string& path) {
  // Sized from the file, but read on to the end in case the file grew meanwhile.
  const std::size_t size = FileSize(fd);
  if (size > rir::kMostFileBytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, "It holds more than 2 GB"};
  }
  FileBytes bytes(size > 0 ? size + 1 : std::size_t{1} << 16);
  for (;;) {
    if (bytes.view().size() > rir::kMostFileBytes) {
      return rir::Error{rir::ErrorCode::kTooLarge, path, "It grew past 2 GB while it was read"};
    }
    char* const target = bytes.Space();
    const ssize_t got = ReadSome(fd, target, bytes.space());
    if (got < 0) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    if (got == 0) {
      return bytes;
    }
    bytes.Commit(static_cast<std::size_t>(got));
  }
}

// Whether the open file holds exactly `text`, read in pieces from its start, so that a file
// that is already right costs no copy of it in memory. An error reading counts as different:
// the full read that follows reports it.
bool HoldsExactly(int fd, std::string_view text) {
  if (FileSize(fd) != text.size()) {
    return false;
  }
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, piece.get(), kPiece, static_cast<off_t>(offset));
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      return offset == text.size();
    }
    const auto count = static_cast<std::size_t>(got);
    if (offset + count > text.size() ||
        std::memcmp(piece.get(), text.data() + offset, count) != 0) {
      return false;
    }
    offset += count;
  }
}

// How many bytes the open file shares with `text` from their start, read in pieces.
std::size_t SharedStart(int fd, std::string_view text) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, piece.get(), kPiece, static_cast<off_t>(offset));
    if (got <= 0) {
      return offset;
    }
    const std::size_t count = std::min(static_cast<std::size_t>(got), text.size() - offset);
    const std::size_t same =
        CommonPrefixLength(std::string_view(piece.get(), count), text.substr(offset, count));
    offset += same;
    if (same < static_cast<std::size_t>(got)) {
      return offset;
    }
  }
}

bool IsRegularFile(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// The file a path names: a symbolic link stays a link, and the file it points to is the one
// replaced, beside which the save's own files go.
std::string FileNamedBy(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
    return path;
  }
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The new file is whole and flushed: what its rename will make the file's stamp (a rename keeps
// the file's number and its time of last change) goes to `before_commit`.
rir::Result<void> ReadyToCommit(const rir::SiblingFile& fresh, const BeforeCommit& before_commit) {
  if (!before_commit) {
    return {};
  }
  auto after = StampOf(fresh.path());
  if (!after) {
    return after.error();
  }
  return before_commit(*after);
}

// No file yet: a new one takes the name in one step, readable by all as a hosts file is.
rir::Result<bool> CreateFile(const std::string& file, std::string_view text,
                             const BeforeCommit& before_commit) {
  rir::SiblingFile fresh(file, kNewFileTag);
  if (auto written = fresh.Write(text, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH); !written) {
    return written.error();
  }
  if (auto flushed = fresh.Flush(); !flushed) {
    return flushed.error();
  }
  if (auto ready = ReadyToCommit(fresh, before_commit); !ready) {
    return ready.error();
  }
  if (auto moved = fresh.MoveOntoTarget(); !moved) {
    return moved.error();
  }
  return true;
}

// A new file with the old one's owner, mode, access list and attributes, renamed over it. False
// when the file cannot be replaced that way and must be rewritten where it stands instead.
rir::Result<bool> ReplaceByRename(int old_fd, const struct stat& old_status,
                                  const std::string& file, std::string_view text,
                                  const BeforeCommit& before_commit) {
  rir::SiblingFile fresh(file, kNewFileTag);
  // Readable by its owner only until it carries the old file's own mode.
  if (auto written = fresh.Write(text, S_IRUSR | S_IWUSR); !written) {
    return written.error();
  }
  if (!CopyFileMetadata(old_fd, old_status, fresh.fd())) {
    return false;  // another owner, a label we may not set: the file must stay the one it is
  }
  if (auto flushed = fresh.Flush(); !flushed) {
    return flushed.error();
  }
  if (auto ready = ReadyToCommit(fresh, before_commit); !ready) {
    return ready.error();
  }
  if (const int failure = fresh.RenameOntoTarget(); failure != 0) {
    // A bind-mounted file (EBUSY), a mount point of its own or another file system (EXDEV).
    if (failure == EBUSY || failure == EXDEV) {
      return false;
    }
    return rir::Error{rir::ErrorCode::kReplace, file, rir::SystemReason(failure)};
  }
  if (auto synced = rir::SyncFolder(file); !synced) {
    return synced.error();
  }
  return true;
}

// The file rewritten where it stands, its new text first made safe in the journal. A failure the
// process sees puts the old text back and removes the journal; a crash leaves the journal for the
// next load to finish from.
rir::Result<bool> RewriteBehindJournal(FileDescriptor& target, const std::string& file,
                                       std::string_view text, const BeforeCommit& before_commit) {
  // The old text is never held whole beside the new one: what the rewrite changes of it goes
  // from the file to the before-file in pieces, and is put back from there if need be.
  const std::size_t same = SharedStart(target.get(), text);
  const std::size_t old_size = FileSize(target.get());
  if (old_size > rir::kMostFileBytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, file, "It holds more than 2 GB"};
  }
  // Written whole before a byte of the file changes, the journal also proves there is room; what
  // the rewrite changes of the old text goes first, so that a journal always has it beside it.
  if (auto kept = WriteBefore(file, target.get(), same, old_size); !kept) {
    RemoveUnfinishedFiles(file);
    static_cast<void>(RemoveJournal(file));
    return kept.error();
  }
  auto old_rest = MappedBefore::Open(file);
  if (!old_rest) {
    static_cast<void>(RemoveJournal(file));
    return old_rest.error();
  }
  if (auto journaled = WriteJournal(file, text); !journaled) {
    RemoveUnfinishedFiles(file);
    static_cast<void>(RemoveJournal(file));
    return journaled.error();
  }
  if (before_commit) {
    if (auto ready = before_commit(std::nullopt); !ready) {
      static_cast<void>(RemoveJournal(file));
      return ready.error();
    }
  }
  auto rewritten =
      RewriteInPlace(target.get(), file, same, old_rest->rest(), text, SystemFileWriteOps());
  if (!rewritten) {
    rir::Error error = rewritten.error();
    if (error.code == rir::ErrorCode::kLeftPartWritten) {
      error.reason +=
          "; it will be completed from " + JournalPath(file) + " when the program next starts";
    } else if (auto removed = RemoveJournal(file); !removed) {
      // Left there, the journal would apply this text at the next start.
      error.reason += "; " + rir::DescribeError(removed.error());
    }
    return error;
  }
  if (target.Close() != 0) {
    return rir::SystemFailure(rir::ErrorCode::kFlush, file);
  }
  if (auto removed = RemoveJournal(file); !removed) {
    return removed.error();
  }
  return true;
}

}  // namespace

bool FileHoldsExactly(const std::string& path, std::string_view text) {
  const FileDescriptor reading(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  return reading.valid() && IsRegularFile(reading.get()) && HoldsExactly(reading.get(), text);
}

rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change,
                                      const BeforeCommit& before_commit) {
  const std::string file = FileNamedBy(path);
  // Opened for writing although a rename needs no such right: a file that may not be written is
  // left alone, as its owner meant.
  FileDescriptor target(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  if (!target.valid()) {
    if (errno == ENOENT) {
      return CreateFile(file, text, before_commit);
    }
    rir::Error refused = rir::SystemFailure(rir::ErrorCode::kWrite, path);
    // A file that may not be written but already holds the text needs nothing.
    if (FileHoldsExactly(file, text)) {
      return false;
    }
    return refused;
  }
  struct stat status {};
  if (::fstat(target.get(), &status) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path);
  }
  if (!S_ISREG(status.st_mode)) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, {}};
  }
  // The file holds this text already (Apply without a change, or the second Apply of Exit).
  if (HoldsExactly(target.get(), text)) {
    return false;
  }
  if (before_change) {
    before_change();
  }
  // A file with other names too must change under all of them: only in place.
  if (status.st_nlink == 1) {
    auto replaced = ReplaceByRename(target.get(), status, file, text, before_commit);
    if (!replaced || *replaced) {
      return replaced;
    }
  }
  return RewriteBehindJournal(target, file, text, before_commit);
}

bool HasUnfinishedSave(const std::string& path) {
  return HasUnfinishedFiles(FileNamedBy(path));
}

bool UnfinishedSaveOutOfReach(const std::string& path) {
  const std::string file = FileNamedBy(path);
  if (!HasUnfinishedFiles(file)) {
    return false;
  }
  // Finishing reads the journal, writes the file and removes what lies beside it.
  const auto may = [](const std::string& at, int how) {
    return ::faccessat(AT_FDCWD, at.c_str(), how, AT_EACCESS) == 0;
  };
  const std::string journal = JournalPath(file);
  return !may(rir::FolderOf(file), W_OK | X_OK) ||
         (may(journal, F_OK) && (!may(journal, R_OK) || !may(file, W_OK)));
}

rir::Result<FileStamp> StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return FileStamp{};
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  constexpr std::int64_t kBillion = 1'000'000'000;
  return FileStamp{true,
                   S_ISREG(status.st_mode),
                   static_cast<std::uint64_t>(status.st_dev),
                   static_cast<std::uint64_t>(status.st_ino),
                   static_cast<std::uint64_t>(status.st_size),
                   status.st_mtim.tv_sec * kBillion + status.st_mtim.tv_nsec};
}

rir::Result<std::optional<FinishedSave>> FinishInterruptedSave(
    const std::string& path,
    const std::function<rir::Result<void>(const std::string& text_path)>& keep_dropped) {
  const std::string file = FileNamedBy(path);
  RemoveUnfinishedFiles(file);
  const std::string journal_path = JournalPath(file);
  FileDescriptor journal(
      ::open(journal_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!journal.valid()) {
    if (errno == ENOENT) {
      // A before-file whose journal was never named, or outlived it, is of no use.
      ::unlink(BeforePath(file).c_str());
      return std::optional<FinishedSave>();
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, journal_path);
  }
  if (!IsRegularFile(journal.get())) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, journal_path, {}};
  }
  auto text = ReadAll(journal.get(), journal_path);
  if (!text) {
    return text.error();
  }
  FileDescriptor target(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  if (!target.valid()) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path);
  }
  if (!IsRegularFile(target.get())) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, {}};
  }
  FinishedSave finished{journal_path, text->view().size(), false};
  if (!HoldsExactly(target.get(), text->view())) {
    auto current = ReadAll(target.get(), file);
    if (!current) {
      return current.error();
    }
    // A journal of an earlier version has no before-file, and is finished as it always was.
    const auto old_text = ReadBefore(file, text->view());
    if (old_text && !LeftByRewrite(current->view(), *old_text, text->view())) {
      // Another program wrote the file since: its text stays, and the journal's is kept.
      if (keep_dropped) {
        if (auto kept = keep_dropped(journal_path); !kept) {
          return kept.error();
        }
      }
      finished.dropped = true;
    } else if (auto rewritten = RewriteInPlace(target.get(), file, current->view(), text->view(),
                                               SystemFileWriteOps());
               !rewritten) {
      return rewritten.error();
    }
  }
  if (auto removed = RemoveJournal(file); !removed) {
    return removed.error();
  }
  return std::optional<FinishedSave>(std::move(finished));
}

}  // namespace hostsfile
