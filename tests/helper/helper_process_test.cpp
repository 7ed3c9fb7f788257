// The helper started through its real entry point by a user who first set what a user may set
// before pkexec (a file-size limit of 0, ignored and blocked signals, a job of its own on a
// terminal, a closed mask), with a save lock held elsewhere, and after a save cut short. Its
// /etc/hosts is the test's file, in a private mount namespace.
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
#include <functional>
#include <string>
#include <thread>

#include "helper/protocol.h"
#include "hostsfile/hosts_store.h"
#include "private_mount.h"
#include "rir/posix_file.h"
#include "schedule/schedule_record.h"
#include "settings/state_file.h"
#include "temp_folder.h"

namespace {

using helper::Message;

Message SaveHosts(const std::string& text) {
  Message save{std::string(helper::kSaveHosts), {}};
  return save.With("password", "secret")
      .With("path", "/etc/hosts")
      .With("stamp", "")
      .With("text", text);
}

// A helper started as a shell starts a job, after its user set what reaches a program through
// pkexec; its input stays open until the request is sent.
class HostileStart {
 public:
  HostileStart(const std::string& helper, const std::string& reply) : reply_(reply) {
    int input[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0) {
      return;
    }
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      // `ulimit -S -f 0`: a hard limit of 0 is refused outright where root may not raise it.
      const struct rlimit no_room { 0, RLIM_INFINITY };
      sigset_t held;
      ::sigemptyset(&held);
      ::sigaddset(&held, SIGALRM);
      const int output = ::open(reply.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      if (::dup2(input[0], STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
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
    ::close(input[0]);
    input_ = rir::FileDescriptor(input[1]);
  }
  pid_t pid() const { return pid_; }

  Message Answer(const Message& request) {
    rir::WriteAll(input_.get(), helper::Encode(request));
    input_.Close();
    ::waitpid(pid_, nullptr, 0);
    auto reply = helper::Decode(testsupport::ReadBytes(reply_));
    return reply ? *reply : Message{"undecodable", {}};
  }

 private:
  std::string reply_;
  pid_t pid_ = -1;
  rir::FileDescriptor input_{-1};
};

// A helper of its own, its state file holding the password "secret", /etc/hosts the test's.
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
  Message Ask(const Message& request) const {
    return HostileStart(helper, folder.File("reply")).Answer(request);
  }
  // `part` in a private mount namespace with /etc/hosts bound to `hosts`: a failure's message,
  // or nothing.
  void Run(const std::function<std::string()>& part) const {
    const int code = testsupport::InPrivateMounts([&] {
      const std::string failure =
          testsupport::BindFile(hosts, "/etc/hosts") ? part() : "cannot bind /etc/hosts";
      std::fputs(failure.c_str(), stderr);
      return failure.empty() ? 0 : 1;
    });
    SKIP_WITHOUT_PRIVATE_MOUNTS(code);
    EXPECT_EQ(code, 0);
  }
};

std::string Told(const Message& reply) {
  return reply.kind == "error" ? rir::DescribeError(helper::ErrorIn(reply)) : reply.kind;
}

std::string ProcFile(pid_t process, const std::string& name) {
  std::ifstream file("/proc/" + std::to_string(process) + "/" + name);
  std::string text;
  for (std::string line; std::getline(file, line);) {
    text += line + "\n";
  }
  return text;
}

// The process that serves: the child the helper made to leave the job's process group, once it
// leads a session of its own (the helper itself where it made none within 5 s).
pid_t ServingProcess(pid_t started) {
  const std::string children = "task/" + std::to_string(started) + "/children";
  for (int tries = 0; tries < 500; ++tries) {
    const std::string child = ProcFile(started, children);
    if (!child.empty() && ::getsid(std::stoi(child)) == std::stoi(child)) {
      return std::stoi(child);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return started;
}

TEST(HelperProcess, WhatItsUserSetsBeforeStartingItReachesNothing) {
  const HelperCopy copy;
  copy.Run([&]() -> std::string {
    // Wrong passwords are counted though the user left the helper no room to write.
    Message guess{std::string(helper::kCheckPassword), {}};
    guess.With("password", "guess");
    for (int free = 0; free < 5; ++free) {
      if (const Message checked = copy.Ask(guess); checked.kind != "ok") {
        return "a free wrong password: " + Told(checked);
      }
    }
    // Each counted (not an empty record, which counts as none), whatever time the hashes took.
    if (testsupport::ReadBytes(copy.folder.File("program/failed-logins")).find("failures=5\n") !=
        0) {
      return "the record does not count the five wrong passwords";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the wait the count asks

    HostileStart start(copy.helper, copy.folder.File("reply"));
    const pid_t serving = ServingProcess(start.pid());
    // Its alarm can ring, its limits are its own, and it left the terminal's job behind.
    const std::string status = ProcFile(serving, "status");
    const std::string limits = ProcFile(serving, "limits");
    const bool in_order = status.find("SigBlk:\t0000000000000000\n") != std::string::npos &&
                          status.find("SigIgn:\t0000000000000000\n") != std::string::npos &&
                          limits.find("Max file size             unlimited") != std::string::npos &&
                          ::getsid(serving) == serving;
    ::kill(-start.pid(), SIGTSTP);  // ^Z, as the terminal sends it to the job
    const Message saved = start.Answer(SaveHosts("# mine\n"));
    if (!in_order || saved.kind != "ok" || testsupport::ReadBytes("/etc/hosts") != "# mine\n") {
      return "reply: " + Told(saved) + "\n" + status + limits;
    }
    return {};
  });
}

TEST(HelperProcess, ASaveLockHeldElsewhereGetsABusyAnswerWithinSeconds) {
  const HelperCopy copy;
  copy.Run([&]() -> std::string {
    const std::string lock_path = copy.folder.File("program/hosts.lock");
    rir::FileDescriptor lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid() || ::flock(lock.get(), LOCK_EX) != 0) {
      return "cannot hold the lock";
    }
    const Message busy = copy.Ask(SaveHosts("# mine\n"));
    lock.Close();
    const Message saved = copy.Ask(SaveHosts("# mine\n"));
    const bool refused =
        busy.kind == "error" && helper::ErrorIn(busy).code == rir::ErrorCode::kBusy;
    return refused && saved.kind == "ok" ? "" : "held: " + Told(busy) + "; let go: " + Told(saved);
  });
}

// A save cut short with its journal made, then another program's edit of the file in place: the
// next request, which needs no password, leaves the edit and keeps the journal's text.
TEST(HelperProcess, ACutShortSaveIsNeverFinishedOverALaterEdit) {
  const HelperCopy copy;
  copy.Run([&]() -> std::string {
    // Ended once the rewrite in place (a rename cannot replace a bind-mounted file) has its
    // journal.
    const auto cut_short = [](const std::optional<hostsfile::FileStamp>& renamed) {
      if (!renamed) {
        ::_exit(0);
      }
      return rir::Result<void>{};
    };
    std::fflush(nullptr);
    if (const pid_t saving = ::fork(); saving == 0) {
      static_cast<void>(
          hostsfile::ReplaceHostsFile("/etc/hosts", "# the cut save\n", {}, {{}, cut_short}));
      ::_exit(1);
    } else {
      ::waitpid(saving, nullptr, 0);
    }
    std::ofstream("/etc/hosts", std::ios::app | std::ios::binary) << "10.0.0.1 nas\n";
    Message finish{std::string(helper::kFinishSave), {}};
    const Message reply = copy.Ask(finish.With("path", "/etc/hosts"));
    const std::string history = copy.folder.File("program/history");
    const bool kept = std::filesystem::exists(history) && testsupport::FilesIn(history) == 1;
    const bool left = testsupport::ReadBytes("/etc/hosts") == "127.0.0.1 localhost\n10.0.0.1 nas\n";
    return reply.Field("dropped") != nullptr && kept && left ? "" : "reply: " + Told(reply);
  });
}

// A lock through the helper, then the keeper as the service manager runs it: what another program
// takes out is back within moments, with the program never started, and a file replaced while
// the keeper was killed is put right at its next start.
TEST(HelperProcess, TheKeeperHoldsALockWithTheProgramClosed) {
  const HelperCopy copy;
  copy.Run([&]() -> std::string {
    const std::string pair = "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n";
    const std::string blocked = "127.0.0.1 localhost\n" + pair;
    Message lock{std::string(helper::kStartLock), {}};
    lock.With("password", "secret").With("path", "/etc/hosts").With("length", "600");
    const Message locked = copy.Ask(lock.With("only-on", "0"));
    if (copy.Ask(SaveHosts(blocked)).kind != "ok" || locked.kind != "ok") {
      return "not locked: " + Told(locked);
    }
    const Message relocked = copy.Ask(lock);
    const Message allowed = copy.Ask(SaveHosts("127.0.0.1 localhost\n"));
    if (relocked.Field("names") == nullptr ||
        relocked.Field("names")->find("a.example") == std::string::npos ||
        allowed.kind != "error" || helper::ErrorIn(allowed).code != rir::ErrorCode::kLocked) {
      return "the password lifted the lock: " + Told(allowed);
    }
    const auto start_keeper = [&] {
      std::fflush(nullptr);
      const pid_t keeper = ::fork();
      if (keeper == 0) {
        ::execl(copy.helper.c_str(), copy.helper.c_str(), "--keep", nullptr);
        ::_exit(127);
      }
      return keeper;
    };
    // Generous: the put-back takes moments; this only keeps a broken keeper from hanging.
    const auto back_within = [&](std::chrono::seconds most) {
      for (auto end = std::chrono::steady_clock::now() + most;
           std::chrono::steady_clock::now() < end;) {
        if (testsupport::ReadBytes("/etc/hosts") == "127.0.0.1 localhost\n# theirs\n" + pair) {
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      return false;
    };
    pid_t keeper = start_keeper();
    testsupport::WriteFinished("/etc/hosts", "127.0.0.1 localhost\n# theirs\n");
    const bool put_back = back_within(std::chrono::seconds(60));
    const std::string report = testsupport::ReadBytes(copy.folder.File("program/put-back"));
    ::kill(keeper, SIGKILL);
    ::waitpid(keeper, nullptr, 0);
    testsupport::WriteFinished("/etc/hosts", "127.0.0.1 localhost\n# theirs\n");
    keeper = start_keeper();
    const bool at_start = back_within(std::chrono::seconds(60));
    ::kill(keeper, SIGTERM);
    int status = -1;
    ::waitpid(keeper, &status, 0);
    const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                       !std::filesystem::exists(copy.folder.File("program/keeper.pid"));
    if (!put_back || report.find("count=1\n") == std::string::npos ||
        report.find("\na.example\n") == std::string::npos || !at_start || !ended) {
      return "put back: " + std::to_string(static_cast<int>(put_back)) +
             ", at its start: " + std::to_string(static_cast<int>(at_start)) + "\n" + report +
             testsupport::ReadBytes("/etc/hosts");
    }
    return {};
  });
}

// The keeper switches a scheduled entry as the schedule has it, at its first look, with the
// program closed: allowed with no hours, blocked with every hour; and under a lock the record may
// not lose hours through the password.
TEST(HelperProcess, TheKeeperSwitchesScheduledEntriesWithTheProgramClosed) {
  const HelperCopy copy;
  copy.Run([&]() -> std::string {
    const std::string blocked = "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n";
    const std::string allowed = "#127.0.0.1 \ta.example a.example.\n#::1 \ta.example a.example.\n";
    schedule::WeeklySchedule all_week;
    for (int day = 0; day < 7; ++day) {
      all_week.ranges.push_back({day, 0, schedule::kMinutesPerDay});
    }
    const auto set_schedule = [&](const schedule::WeeklySchedule& hours) {
      Message save{std::string(helper::kSaveSchedule), {}};
      return copy.Ask(save.With("password", "secret")
                          .With("path", "/etc/hosts")
                          .With("schedule", schedule::EncodeSchedule(hours, {"a.example"})));
    };
    // Generous: a broken keeper must not hang the test, a slow machine must pass.
    const auto keeper_makes = [&](const std::string& text) {
      std::fflush(nullptr);
      const pid_t keeper = ::fork();
      if (keeper == 0) {
        ::execl(copy.helper.c_str(), copy.helper.c_str(), "--keep", nullptr);
        ::_exit(127);
      }
      bool made = false;
      for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
           !made && std::chrono::steady_clock::now() < end;) {
        made = testsupport::ReadBytes("/etc/hosts") == "127.0.0.1 localhost\n" + text;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      ::kill(keeper, SIGTERM);
      ::waitpid(keeper, nullptr, 0);
      return made;
    };
    const Message saved = copy.Ask(SaveHosts("127.0.0.1 localhost\n" + blocked));
    const Message none = set_schedule({});
    if (saved.kind != "ok" || none.kind != "ok" || !keeper_makes(allowed)) {
      return "not allowed off its hours: " + Told(none) + "\n" +
             testsupport::ReadBytes("/etc/hosts");
    }
    if (set_schedule(all_week).kind != "ok" || !keeper_makes(blocked)) {
      return "not blocked in its hours:\n" + testsupport::ReadBytes("/etc/hosts");
    }
    Message lock{std::string(helper::kStartLock), {}};
    lock.With("password", "secret").With("path", "/etc/hosts").With("length", "600");
    const Message locked = copy.Ask(lock.With("only-on", "0"));
    const Message fewer = set_schedule({});
    if (locked.kind != "ok" || fewer.kind != "error" ||
        helper::ErrorIn(fewer).code != rir::ErrorCode::kLocked) {
      return "the lock let the schedule lose its hours: " + Told(fewer);
    }
    return {};
  });
}

}  // namespace
