#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <thread>

#include "helper_client/run_with_input.h"
#include "rir/error.h"
#include "rir/posix_file.h"

extern char** environ;

namespace helper_client {

namespace {

// The program's input is a socket, so that writing to it after it has ended gives EPIPE rather
// than a SIGPIPE that would end this program.
struct Channels {
  rir::FileDescriptor input_ours{-1}, input_theirs{-1}, out_ours{-1}, out_theirs{-1}, err_ours{-1},
      err_theirs{-1};
};

bool Pipe(rir::FileDescriptor& ours, rir::FileDescriptor& theirs) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    return false;
  }
  ours = rir::FileDescriptor(fds[0]);
  theirs = rir::FileDescriptor(fds[1]);
  return true;
}

bool Open(Channels& channels) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
    return false;
  }
  channels.input_ours = rir::FileDescriptor(fds[0]);
  channels.input_theirs = rir::FileDescriptor(fds[1]);
  return Pipe(channels.out_ours, channels.out_theirs) &&
         Pipe(channels.err_ours, channels.err_theirs);
}

void Keep(std::string& into, const char* bytes, std::size_t count, std::size_t most) {
  if (into.size() < most) {
    into.append(bytes, std::min(count, most - into.size()));
  }
}

// Waits for the program to end. One that outlived its time and could not be ended is left to a
// thread of its own, which collects it when it ends.
int Collect(pid_t child, bool gone) {
  if (!gone) {
    std::thread([child] {
      int status = 0;
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
    return -1;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

rir::Result<Finished> RunWithInput(const std::vector<std::string>& command,
                                   std::span<const std::string_view> input, std::size_t most_out,
                                   std::chrono::milliseconds most_wait) {
  const std::string program = command.empty() ? std::string() : command.front();
  Channels channels;
  if (command.empty() || !Open(channels)) {
    return rir::SystemFailure(rir::ErrorCode::kStartProgram, program);
  }
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, channels.input_theirs.get(), STDIN_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, channels.out_theirs.get(), STDOUT_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, channels.err_theirs.get(), STDERR_FILENO);
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (const std::string& argument : command) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    return rir::Error{rir::ErrorCode::kStartProgram, program, rir::SystemReason(spawned)};
  }
  // Only the child holds these ends now, so that its end of output shows here.
  channels.input_theirs.Close();
  channels.out_theirs.Close();
  channels.err_theirs.Close();

  Finished finished;
  std::array<char, 65536> buffer;
  std::size_t piece = 0;
  std::string_view sending = input.empty() ? std::string_view() : input.front();
  const auto give_up = std::chrono::steady_clock::now() + most_wait;
  while (channels.out_ours.valid() || channels.err_ours.valid()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        give_up - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      const bool ended = ::kill(child, SIGKILL) == 0;
      Collect(child, ended);
      return rir::Error{
          rir::ErrorCode::kHelperFailed, program,
          "it did not answer within " +
              std::to_string(std::chrono::ceil<std::chrono::seconds>(most_wait).count()) +
              " seconds, and the program stopped waiting for it"};
    }
    std::array<pollfd, 3> polled{{{channels.out_ours.get(), POLLIN, 0},
                                  {channels.err_ours.get(), POLLIN, 0},
                                  {channels.input_ours.get(), POLLOUT, 0}}};
    const nfds_t count = channels.input_ours.valid() ? 3 : 2;
    if (::poll(polled.data(), count, static_cast<int>(std::min<std::int64_t>(left.count(), 1000))) <
        0) {
      if (errno == EINTR) {
        continue;
      }
      break;
    }
    if (count == 3 && polled[2].revents != 0) {
      while (sending.empty() && piece + 1 < input.size()) {
        sending = input[++piece];
      }
      const ssize_t sent = sending.empty() ? 0
                                           : ::send(channels.input_ours.get(), sending.data(),
                                                    std::min<std::size_t>(sending.size(), 1 << 20),
                                                    MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent > 0) {
        sending.remove_prefix(static_cast<std::size_t>(sent));
      }
      if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
          (sending.empty() && piece + 1 >= input.size())) {
        channels.input_ours.Close();  // the end of its input
      }
    }
    for (int i = 0; i < 2; ++i) {
      rir::FileDescriptor& fd = i == 0 ? channels.out_ours : channels.err_ours;
      if (!fd.valid() || polled[static_cast<std::size_t>(i)].revents == 0) {
        continue;
      }
      const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
      if (got > 0) {
        Keep(i == 0 ? finished.out : finished.err, buffer.data(), static_cast<std::size_t>(got),
             most_out);
      } else if (got == 0 || errno != EINTR) {
        fd.Close();
      }
    }
  }
  channels.input_ours.Close();
  finished.exit_status = Collect(child, true);
  return finished;
}

}  // namespace helper_client
