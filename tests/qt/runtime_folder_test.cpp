// The runtime folder Qt is given when the session gave none: Qt must take it without a word.
#include "runtime_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "temp_folder.h"

namespace {

// An environment variable as a test sets it, and back as it was at the end.
class Variable {
 public:
  Variable(const char* name, const char* value) : name_(name) {
    if (const char* was = std::getenv(name); was != nullptr) {
      was_ = was;
    }
    Set(value);
  }
  ~Variable() { Set(was_ ? was_->c_str() : nullptr); }
  Variable(const Variable&) = delete;
  Variable& operator=(const Variable&) = delete;

 private:
  void Set(const char* value) const {
    if (value != nullptr) {
      ::setenv(name_, value, 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> was_;
};

std::optional<std::string> RuntimeVariable() {
  const char* value = std::getenv("XDG_RUNTIME_DIR");
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// A temporary folder of the test's own, where the program's runtime folder is made.
struct Temporary {
  testsupport::TempFolder folder;
  Variable tmpdir{"TMPDIR", folder.path().c_str()};
  std::string users = folder.File("tamborelle-rir-avadera-run-" + std::to_string(::geteuid()));
};

void ExpectPrivate(const std::string& folder) {
  struct stat status {};
  ASSERT_EQ(::lstat(folder.c_str(), &status), 0) << folder;
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0700u);
  EXPECT_EQ(status.st_uid, ::geteuid());
}

// The runtime folder as Qt finds it, and what Qt said on the console meanwhile.
struct Found {
  std::string folder;
  std::string said;
};

Found AskQtForTheRuntimeFolder() {
  testsupport::TempFolder scratch;
  const std::string console = scratch.File("stderr");
  std::fflush(stderr);
  const int kept = ::dup(STDERR_FILENO);
  const int file = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ::dup2(file, STDERR_FILENO);
  ::close(file);
  Found found{QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString(), {}};
  std::fflush(stderr);
  ::dup2(kept, STDERR_FILENO);
  ::close(kept);
  found.said = testsupport::ReadBytes(console);
  return found;
}

TEST(RuntimeFolder, WithoutOneQtIsGivenTheUsersPrivateFolder) {
  Temporary temporary;
  Variable unset("XDG_RUNTIME_DIR", nullptr);
  for (int run = 0; run < 2; ++run) {
    qtfront::RuntimeFolder runtime;
    EXPECT_EQ(runtime.folder(), temporary.users) << "the same at every run";
    EXPECT_EQ(RuntimeVariable(), temporary.users);
    ExpectPrivate(temporary.users);
    const Found found = AskQtForTheRuntimeFolder();
    EXPECT_EQ(found.folder, temporary.users);
    EXPECT_EQ(found.said, "");
  }
  EXPECT_EQ(RuntimeVariable(), std::nullopt);
}

TEST(RuntimeFolder, AFolderByThatNameNotPrivatelyTheUsersGivesWayToOneForTheRun) {
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    Temporary temporary;
    Variable unset("XDG_RUNTIME_DIR", nullptr);
    const std::string elsewhere = temporary.folder.File("elsewhere");
    std::filesystem::create_directory(elsewhere);
    std::filesystem::permissions(elsewhere, std::filesystem::perms::owner_all);
    if (kind == 0) {
      std::filesystem::create_directory_symlink(elsewhere, temporary.users);  // a link by that name
    } else if (kind == 1) {
      std::filesystem::create_directory(temporary.users);
      std::filesystem::permissions(temporary.users, std::filesystem::perms::owner_all |
                                                        std::filesystem::perms::others_read |
                                                        std::filesystem::perms::others_exec);
    } else {
      testsupport::WriteBytes(temporary.users, "");
    }
    std::string made;
    {
      qtfront::RuntimeFolder runtime;
      made = runtime.folder();
      EXPECT_NE(made, temporary.users);
      EXPECT_NE(made, elsewhere);
      EXPECT_EQ(std::filesystem::path(made).parent_path(), temporary.folder.path());
      ExpectPrivate(made);
      const Found found = AskQtForTheRuntimeFolder();
      EXPECT_EQ(found.folder, made);
      EXPECT_EQ(found.said, "");
    }
    EXPECT_FALSE(std::filesystem::exists(made)) << "made for one run, gone with it";
  }
}

TEST(RuntimeFolder, TheSessionsOwnFolderIsKept) {
  Temporary temporary;
  const std::string own = temporary.folder.File("run");
  std::filesystem::create_directory(own);
  std::filesystem::permissions(own, std::filesystem::perms::owner_all);
  Variable given("XDG_RUNTIME_DIR", own.c_str());
  qtfront::RuntimeFolder runtime;
  EXPECT_TRUE(runtime.folder().empty());
  EXPECT_EQ(RuntimeVariable(), own);
  const Found found = AskQtForTheRuntimeFolder();
  EXPECT_EQ(found.folder, own);
  EXPECT_EQ(found.said, "");
  EXPECT_FALSE(std::filesystem::exists(temporary.users));
}

TEST(RuntimeFolder, AnotherUsersFolderIsNotUsed) {
  // Root with the desktop user's environment; a user whose variable names root's folder.
  Temporary temporary;
  std::string theirs = "/";
  if (::geteuid() == 0) {
    theirs = temporary.folder.File("theirs");
    std::filesystem::create_directory(theirs);
    std::filesystem::permissions(theirs, std::filesystem::perms::owner_all);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  }
  Variable given("XDG_RUNTIME_DIR", theirs.c_str());
  {
    qtfront::RuntimeFolder runtime;
    EXPECT_EQ(runtime.folder(), temporary.users);
    const Found found = AskQtForTheRuntimeFolder();
    EXPECT_EQ(found.folder, temporary.users);
    EXPECT_EQ(found.said, "");
  }
  EXPECT_EQ(RuntimeVariable(), theirs);
}

}  // namespace
