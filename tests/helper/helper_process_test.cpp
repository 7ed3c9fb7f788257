// The helper started through its real entry point by a user who first set what a user may set
// before pkexec (a file-size limit of 0, ignored and blocked signals, a job of its own on a
// terminal, a closed mask), and a save lock that another request holds. /etc/hosts is the test's
// file, in a private mount namespace.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "helper/protocol.h"
#include "hostsfile/hosts_store.h"
#include "private_mount.h"
#include "rir/posix_file.h"
#include "settings/state_file.h"
#include "temp_folder.h"

namespace {

using helper::Message;

// A helper of its own, its state file holding the password "secret", and a hosts file.
struct HelperCopy {
  testsupport::TempFolder folder;
  std::string helper = folder.File("program/rir-avadera-helper");
  std::string hosts = folder.File("hosts");

  HelperCopy() {
    std::filesystem::create_directories(folder.File("program"));
    std::filesystem::copy_file(RIR_HELPER, helper);
    testsupport::WriteBytes(hosts, "127.0.0.1 localhost\n");
    EXPECT_TRUE(settings::StateFile(folder.File("program/state.dll")).StorePassword("secret"));
  }
};

Message CheckPassword(const std::string& password) {
  return Message{std::string(helper::kCheckPassword), {}}.With("password", password);
}

Message SaveHosts(const std::string& text) {
  Message save{std::string(helper::kSaveHosts), {}};
  return save.With("password", "secret")
      .With("path", "/etc/hosts")
      .With("stamp", "")
      .With("text", text);
}

// Started as a shell starts a job, after the user set what reaches a program through pkexec.
pid_t StartAsHostileUser(const std::string& helper, int input, int output) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    // `ulimit -S -f 0`: the hard limit too (`ulimit -f 0`) is refused outright where root may
    // not raise it (a container without CAP_SYS_RESOURCE), as the helper cannot write then.
    const struct rlimit no_room { 0, RLIM_INFINITY };
    sigset_t held;
    ::sigemptyset(&held);
    ::sigaddset(&held, SIGALRM);
    ::sigaddset(&held, SIGTERM);
    if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::setpgid(0, 0) != 0 || ::setrlimit(RLIMIT_FSIZE, &no_room) != 0) {
      ::_exit(126);
    }
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGALRM, SIG_IGN);
    ::sigprocmask(SIG_BLOCK, &held, nullptr);
    ::umask(0777);
    ::execl(helper.c_str(), helper.c_str(), nullptr);
    ::_exit(127);
  }
  return child;
}

struct Pipe {
  rir::FileDescriptor read{-1};
  rir::FileDescriptor write{-1};
  Pipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) == 0) {
      read = rir::FileDescriptor(ends[0]);
      write = rir::FileDescriptor(ends[1]);
    }
  }
};

// Sends the request to a helper started with its input open, and reads its whole reply.
Message Finish(pid_t started, Pipe& input, Pipe& output, const Message& request) {
  output.write.Close();
  rir::WriteAll(input.write.get(), helper::Encode(request));
  input.write.Close();
  std::string reply;
  char piece[4096];
  for (ssize_t got = 0; (got = rir::ReadSome(output.read.get(), piece, sizeof piece)) > 0;) {
    reply.append(piece, static_cast<std::size_t>(got));
  }
  int status = 0;
  ::waitpid(started, &status, 0);
  auto decoded = helper::Decode(reply);
  return decoded ? *decoded : Message{"undecodable: " + reply, {}};
}

Message AskAsHostileUser(const std::string& helper, const Message& request) {
  Pipe input;
  Pipe output;
  const pid_t started = StartAsHostileUser(helper, input.read.get(), output.write.get());
  input.read.Close();
  return Finish(started, input, output, request);
}

std::string Told(const Message& reply) {
  return reply.kind == "error" ? rir::DescribeError(helper::ErrorIn(reply)) : reply.kind;
}

bool RefusedWith(const Message& reply, rir::ErrorCode code) {
  return reply.kind == "error" && helper::ErrorIn(reply).code == code;
}

std::string ProcFile(pid_t process, const std::string& name) {
  const std::string path = "/proc/" + std::to_string(process) + "/" + name;
  const rir::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  std::string text;
  char piece[4096];
  for (ssize_t got = 0;
       file.valid() && (got = rir::ReadSome(file.get(), piece, sizeof piece)) > 0;) {
    text.append(piece, static_cast<std::size_t>(got));
  }
  return text;
}

// The process that serves: the helper itself, or the child it made to leave the job's group.
pid_t ServingProcess(pid_t started) {
  for (int tries = 0; tries < 500; ++tries) {
    const std::string children = ProcFile(started, "task/" + std::to_string(started) + "/children");
    if (!children.empty()) {
      return std::stoi(children);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return started;
}

bool HasLine(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos;
}

TEST(HelperProcess, WhatItsUserSetsBeforeStartingItReachesNothing) {
  HelperCopy copy;
  const int code = testsupport::InPrivateMounts([&] {
    if (!testsupport::BindFile(copy.hosts, "/etc/hosts")) {
      return 1;
    }
    // Wrong passwords are counted though the user left the helper no room to write.
    for (int free = 0; free < 5; ++free) {
      const Message checked = AskAsHostileUser(copy.helper, CheckPassword("guess"));
      if (checked.Field("matches") == nullptr || *checked.Field("matches") != "0") {
        std::fprintf(stderr, "wrong password %d: %s\n", free, Told(checked).c_str());
        return 2;
      }
    }
    if (!RefusedWith(AskAsHostileUser(copy.helper, CheckPassword("guess")),
                     rir::ErrorCode::kTooManyWrongPasswords)) {
      std::fputs("the sixth wrong password was checked\n", stderr);
      return 3;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the wait the count asks

    Pipe input;
    Pipe output;
    const pid_t started = StartAsHostileUser(copy.helper, input.read.get(), output.write.get());
    input.read.Close();
    const pid_t serving = ServingProcess(started);
    // Its alarm can ring, its limits are its own, and it left the terminal's job behind.
    const std::string status = ProcFile(serving, "status");
    const std::string limits = ProcFile(serving, "limits");
    const bool in_order = HasLine(status, "SigBlk:\t0000000000000000") &&
                          (HasLine(status, "SigIgn:\t0000000000000000")) &&
                          limits.find("Max file size             unlimited") != std::string::npos &&
                          ::getsid(serving) == serving;
    // ^Z, as the terminal sends it to the job.
    ::kill(-started, SIGTSTP);
    const Message saved = Finish(started, input, output, SaveHosts("# mine\n"));
    if (!in_order || saved.kind != "ok" || testsupport::ReadBytes("/etc/hosts") != "# mine\n") {
      std::fprintf(stderr, "in order: %d, reply: %s\n%s%s", in_order, Told(saved).c_str(),
                   status.c_str(), limits.c_str());
      return 4;
    }
    return 0;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(HelperProcess, ASaveLockHeldElsewhereGetsABusyAnswerWithinSeconds) {
  HelperCopy copy;
  const int code = testsupport::InPrivateMounts([&] {
    if (!testsupport::BindFile(copy.hosts, "/etc/hosts")) {
      return 1;
    }
    const std::string lock_path = copy.folder.File("program/hosts.lock");
    rir::FileDescriptor lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid() || ::flock(lock.get(), LOCK_EX) != 0) {
      return 2;
    }
    const Message busy = AskAsHostileUser(copy.helper, SaveHosts("# mine\n"));
    lock.Close();
    const Message saved = AskAsHostileUser(copy.helper, SaveHosts("# mine\n"));
    if (!RefusedWith(busy, rir::ErrorCode::kBusy) || saved.kind != "ok") {
      std::fprintf(stderr, "held: %s; let go: %s\n", Told(busy).c_str(), Told(saved).c_str());
      return 3;
    }
    return 0;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

// A save cut short with its journal made, then another program's edit of the file in place: the
// next request, which needs no password, leaves the edit and keeps the journal's text.
TEST(HelperProcess, ACutShortSaveIsNeverFinishedOverALaterEdit) {
  HelperCopy copy;
  const int code = testsupport::InPrivateMounts([&] {
    if (!testsupport::BindFile(copy.hosts, "/etc/hosts")) {
      return 1;
    }
    // Ended once the rewrite in place (a rename cannot replace a bind-mounted file) has its
    // journal.
    const auto cut_short = [](const std::optional<hostsfile::FileStamp>& renamed) {
      if (!renamed) {
        ::_exit(0);
      }
      return rir::Result<void>{};
    };
    std::fflush(nullptr);
    const pid_t saving = ::fork();
    if (saving == 0) {
      static_cast<void>(
          hostsfile::ReplaceHostsFile("/etc/hosts", "# the cut save\n", {}, {{}, cut_short}));
      ::_exit(1);
    }
    int status = 0;
    ::waitpid(saving, &status, 0);
    std::ofstream("/etc/hosts", std::ios::app | std::ios::binary) << "10.0.0.1 nas\n";
    Message finish{std::string(helper::kFinishSave), {}};
    const Message reply = AskAsHostileUser(copy.helper, finish.With("path", "/etc/hosts"));
    const std::string history = copy.folder.File("program/history");
    const bool kept = std::filesystem::exists(history) && testsupport::FilesIn(history) == 1;
    if (reply.Field("dropped") == nullptr || !kept ||
        testsupport::ReadBytes("/etc/hosts") != "127.0.0.1 localhost\n10.0.0.1 nas\n") {
      std::fprintf(stderr, "reply: %s, kept: %d\n", Told(reply).c_str(), kept);
      return 2;
    }
    return 0;
  });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

}  // namespace
