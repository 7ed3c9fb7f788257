// What may stand in the state file's place: only a plain file of at most 64 KB is read or
// written. A link is never followed (it could name any file of the system, whose bytes a write
// would copy into the state file), and a pipe or device never keeps the program waiting.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "settings/ini_file.h"
#include "settings/state_file.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#endif

namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;

class StateFileKinds : public ::testing::Test {
 protected:
  // Nothing read and nothing written, each refusal with the code and the state file's path.
  void ExpectRefused(rir::ErrorCode code) const {
    const auto stored = state_.ReadPassword();
    ASSERT_FALSE(stored) << "read as \"" << *stored << "\"";
    EXPECT_EQ(stored.error().code, code);
    EXPECT_EQ(stored.error().path, path_);
    EXPECT_EQ(state_.ReadFirstRun(), "");
    const auto written = state_.WriteFirstRun("no");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().code, code);
    EXPECT_FALSE(state_.StorePassword("p"));
  }

  testsupport::TempFolder folder_;
  std::string path_ = folder_.File("state.dll");
  settings::StateFile state_{path_};
};

TEST_F(StateFileKinds, AFileOfMoreThan64KilobytesIsRefused) {
  std::string text = "[settings]\r\nfirstrun=true\r\n";
  text.resize(std::size_t{64} << 10, ';');
  WriteBytes(path_, text);
  EXPECT_EQ(state_.ReadFirstRun(), "true") << "64 KB exactly is still read";
  EXPECT_TRUE(state_.ReadPassword());

  text += ';';
  WriteBytes(path_, text);
  ExpectRefused(rir::ErrorCode::kTooLarge);
  EXPECT_EQ(ReadBytes(path_), text);

  // Nor does a write make one.
  WriteBytes(path_, "[settings]\r\nfirstrun=true\r\n");
  const auto long_write =
      modINIFile::WriteIniValue("settings", "x", std::string(70000, 'x'), path_);
  EXPECT_FALSE(long_write);
  EXPECT_EQ(state_.ReadFirstRun(), "true");
}

#ifndef _WIN32

// Runs `body` in a child process that is stopped after a minute: a read that waits for ever
// fails the test instead of hanging it, and a slow or loaded machine never does. The body does
// no slow work of its own (no password hash). The child's exit code, or -1 when it was stopped.
int InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(60);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(StateFileKinds, ALinkIsNeitherFollowedNorReplaced) {
  // Stands for a file no user may read, such as the system's password hashes.
  const std::string secret = folder_.File("secret");
  WriteBytes(secret, "root:$6$salt$hash:19000:0:99999:7:::\n[settings]\npwd=\n");
  ::chmod(secret.c_str(), 0600);
  std::filesystem::create_symlink(secret, path_);

  ExpectRefused(rir::ErrorCode::kNotRegularFile);
  EXPECT_TRUE(std::filesystem::is_symlink(path_)) << "the link was replaced";
  EXPECT_EQ(ReadBytes(secret), "root:$6$salt$hash:19000:0:99999:7:::\n[settings]\npwd=\n");

  // A link to nothing is refused too, rather than written through or replaced.
  std::filesystem::remove(path_);
  std::filesystem::create_symlink(folder_.File("missing"), path_);
  ExpectRefused(rir::ErrorCode::kNotRegularFile);
  EXPECT_FALSE(std::filesystem::exists(folder_.File("missing")));
}

TEST_F(StateFileKinds, APipeOrADeviceNeverKeepsTheProgramWaiting) {
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_EQ(
      InChild([&] {
        const auto stored = state_.ReadPassword();
        const bool refused = !stored && stored.error().code == rir::ErrorCode::kNotRegularFile;
        return refused && state_.ReadFirstRun().empty() && !state_.WriteFirstRun("no") ? 0 : 1;
      }),
      0);
  EXPECT_EQ(std::filesystem::status(path_).type(), std::filesystem::file_type::fifo);

  std::filesystem::remove(path_);
  std::filesystem::create_symlink("/dev/zero", path_);
  EXPECT_EQ(InChild([&] {
              // The password's write without its hash, which is all that could wait.
              return !state_.ReadPassword() && state_.ReadFirstRun().empty() &&
                             !modINIFile::WriteIniValue("settings", "pwd", "p", path_)
                         ? 0
                         : 1;
            }),
            0);
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
}

TEST_F(StateFileKinds, AFolderIsNotAPlainFile) {
  std::filesystem::create_directory(path_);
  ExpectRefused(rir::ErrorCode::kNotRegularFile);
}

#endif

}  // namespace
