// The in-place rewrite under failing system calls: the old text must come back.
#include "rewrite_in_place.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "temp_folder.h"

namespace hostsfile {
namespace {

using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

const std::string kOld = "# the old text\n127.0.0.1 \told.example old.example.\n";
const std::string kNew =
    "# the new text, longer than the old one\n127.0.0.1 \tnew.example new.example.\n";

// The system's calls, but the write fails with "no space" once `budget` bytes have gone.
FileWriteOps FailingAfter(std::size_t& budget, int& failures_left) {
  FileWriteOps ops = SystemFileWriteOps();
  auto real_write = ops.write_at;
  ops.write_at = [real_write, &budget, &failures_left](int fd, const char* data, std::size_t size,
                                                       std::int64_t offset) -> long {
    if (failures_left > 0 && size > budget) {
      if (budget == 0) {
        --failures_left;
        errno = ENOSPC;
        return -1;
      }
      size = budget;
    }
    const long written = real_write(fd, data, size, offset);
    if (failures_left > 0 && written > 0) {
      budget -= static_cast<std::size_t>(written);
    }
    return written;
  };
  return ops;
}

class RewriteInPlaceTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(path_, kOld);
    fd_ = ::open(path_.c_str(), O_RDWR);
    ASSERT_GE(fd_, 0);
  }
  void TearDown() override { ::close(fd_); }

  TempFolder folder_;
  std::string path_ = folder_.File("hosts");
  int fd_ = -1;
};

TEST_F(RewriteInPlaceTest, WritesTheNewTextAndTruncates) {
  ASSERT_TRUE(RewriteInPlace(fd_, path_, kOld, kNew, SystemFileWriteOps()).has_value());
  EXPECT_EQ(ReadBytes(path_), kNew);
  ASSERT_TRUE(RewriteInPlace(fd_, path_, kNew, "x\n", SystemFileWriteOps()).has_value());
  EXPECT_EQ(ReadBytes(path_), "x\n");
}

TEST_F(RewriteInPlaceTest, WritesOnlyFromTheFirstChangedByte) {
  const std::string same_start(10'000, 'x');
  WriteBytes(path_, same_start + "old tail");
  FileWriteOps ops = SystemFileWriteOps();
  auto real_write = ops.write_at;
  std::int64_t lowest_offset = -1;
  std::size_t bytes_written = 0;
  ops.write_at = [&](int fd, const char* data, std::size_t size, std::int64_t offset) -> long {
    if (lowest_offset < 0 || offset < lowest_offset) {
      lowest_offset = offset;
    }
    bytes_written += size;
    return real_write(fd, data, size, offset);
  };
  ASSERT_TRUE(RewriteInPlace(fd_, path_, same_start + "old tail", same_start + "new", ops));
  EXPECT_EQ(ReadBytes(path_), same_start + "new");
  EXPECT_EQ(lowest_offset, 10'000);
  EXPECT_EQ(bytes_written, 3u);
}

TEST_F(RewriteInPlaceTest, WriteFailingPartWayPutsTheOldTextBack) {
  // The two texts share their first six bytes ("# the "); the rest is written.
  const std::size_t changed = kNew.size() - 6;
  for (std::size_t budget_at : {std::size_t{0}, std::size_t{1}, std::size_t{17}, changed - 1}) {
    WriteBytes(path_, kOld);
    std::size_t budget = budget_at;
    int failures_left = 1;
    auto result = RewriteInPlace(fd_, path_, kOld, kNew, FailingAfter(budget, failures_left));
    ASSERT_FALSE(result.has_value()) << budget_at;
    EXPECT_EQ(result.error().code, rir::ErrorCode::kWrite);
    EXPECT_EQ(result.error().path, path_);
    EXPECT_EQ(result.error().reason, rir::SystemReason(ENOSPC));
    EXPECT_EQ(ReadBytes(path_), kOld) << "after " << budget_at << " bytes";
  }
}

TEST_F(RewriteInPlaceTest, FailedSyncPutsTheOldTextBack) {
  FileWriteOps ops = SystemFileWriteOps();
  int syncs = 0;
  ops.sync = [&syncs](int fd) {
    if (syncs++ == 0) {
      errno = EIO;
      return -1;
    }
    return ::fsync(fd);
  };
  auto result = RewriteInPlace(fd_, path_, kOld, kNew, ops);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().code, rir::ErrorCode::kFlush);
  EXPECT_EQ(ReadBytes(path_), kOld);
}

TEST_F(RewriteInPlaceTest, FailedTruncatePutsTheOldTextBack) {
  FileWriteOps ops = SystemFileWriteOps();
  int truncates = 0;
  auto real_truncate = ops.truncate;
  ops.truncate = [&truncates, real_truncate](int fd, std::int64_t length) {
    if (truncates++ == 0) {
      errno = EIO;
      return -1;
    }
    return real_truncate(fd, length);
  };
  auto result = RewriteInPlace(fd_, path_, kOld, "short\n", ops);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().code, rir::ErrorCode::kWrite);
  EXPECT_EQ(ReadBytes(path_), kOld);
}

TEST_F(RewriteInPlaceTest, RestoreThatFailsTooSaysSo) {
  std::size_t budget = 5;
  int failures_left = 2;
  auto result = RewriteInPlace(fd_, path_, kOld, kNew, FailingAfter(budget, failures_left));
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().code, rir::ErrorCode::kLeftPartWritten);
  EXPECT_NE(result.error().reason.find("putting the old text back failed"), std::string::npos)
      << result.error().reason;
}

}  // namespace
}  // namespace hostsfile
