#include "kill_save.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "blocklist/block_list.h"
#include "hostsfile/block_again.h"
#include "hostsfile/file_io.h"
#include "hostsfile/hosts_store.h"
#include "rir/file_read.h"

namespace testsupport {

namespace {

using blocklist::BlockList;
using blocklist::Status;
using hostsfile::HostsStore;
using Clock = std::chrono::steady_clock;

// Files of tens of megabytes, read and written once per kill.
std::string ReadText(const std::string& path) {
  auto read = rir::ReadSmallFile(path);
  return read && *read ? std::move(**read) : std::string("(no file)");
}

bool WriteText(const std::string& path, std::string_view text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

void ChangeEveryEntry(BlockList& list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    list.SetStatus(i, list[i].status == Status::kBlocked ? Status::kAllowed : Status::kBlocked);
  }
}

// Child exit codes besides 0.
constexpr int kLoadFailed = 3;
constexpr int kSaveFailed = 4;

// What Apply does once the user has changed every entry: load, change, build, save.
pid_t StartSave(const std::string& path) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    HostsStore store(path);
    BlockList list;
    if (!store.Load(list)) {
      ::_exit(kLoadFailed);
    }
    ChangeEveryEntry(list);
    const auto saved = store.Save(store.BuildText(list));
    ::_exit(saved ? 0 : kSaveFailed);
  }
  return child;
}

int WaitFor(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

enum class Text { kOld, kNew, kTorn };

// What lies in one folder besides the file named `name`.
struct Beside {
  bool journal = false;
  bool temporaries = false;
  bool anything = false;  // anything at all
  bool foreign = false;   // neither the journal nor a temporary file named after the file
  std::string first;      // the first name found besides the file's
};

Beside LookBeside(const std::filesystem::path& folder, const std::string& name) {
  Beside beside;
  const std::string journal = name + ".rir-journal";
  const std::string temporary = name + ".";
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    const std::string found = item.path().filename().string();
    if (found == name) {
      continue;
    }
    if (!beside.anything) {
      beside.first = found;
    }
    beside.anything = true;
    if (found == journal) {
      beside.journal = true;
    } else if (found.rfind(temporary, 0) == 0) {
      beside.temporaries = true;
    } else {
      beside.foreign = true;
    }
  }
  return beside;
}

void RemoveAllBut(const std::filesystem::path& folder, const std::string& name) {
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (item.path().filename() != name) {
      std::filesystem::remove_all(item.path());
    }
  }
}

// Unmounts the bind mount when the run ends.
class BindMount {
 public:
  BindMount(const std::string& source, const std::string& target, unsigned long flags = MS_BIND)
      : target_(target) {
    mounted_ = ::mount(source.c_str(), target.c_str(), nullptr, flags, nullptr) == 0;
  }
  BindMount(const BindMount&) = delete;
  BindMount& operator=(const BindMount&) = delete;
  ~BindMount() {
    if (mounted_) {
      ::umount2(target_.c_str(), MNT_DETACH);
    }
  }
  bool mounted() const { return mounted_; }

 private:
  std::string target_;
  bool mounted_ = false;
};

// The next number of a line of decimal numbers separated by spaces; false when there is none.
template <typename Number>
bool NextNumber(std::string_view& rest, Number& number) {
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  const auto [end, failed] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (failed != std::errc() || (end != rest.data() + rest.size() && *end != ' ')) {
    return false;
  }
  rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
  if (!rest.empty()) {
    rest.remove_prefix(1);
  }
  return true;
}

// The names of the files beside `record` whose names begin with its own and a dot (its pending
// and temporary files); none when no record is looked at.
std::vector<std::string> FilesNamedAfter(const std::string& record) {
  std::vector<std::string> found;
  if (record.empty()) {
    return found;
  }
  const std::filesystem::path path(record);
  const std::string prefix = path.filename().string() + ".";
  std::error_code failed;
  for (const auto& item : std::filesystem::directory_iterator(path.parent_path(), failed)) {
    const std::string name = item.path().filename().string();
    if (name.starts_with(prefix)) {
      found.push_back(name);
    }
  }
  return found;
}

std::string Milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000);
  return text;
}

}  // namespace

std::string OwnLinesText(std::size_t lines) {
  std::string text;
  text.reserve(lines * 140);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::string host =
        "site" + std::to_string(i) + ".example" + std::to_string(i % 97) + ".com";
    std::string name = host;
    name.append(" ").append(host).append(".\r\n");
    text += i % 2 == 0 ? "127.0.0.1 \t" : "#127.0.0.1 \t";
    text += name;
    text += i % 2 == 0 ? "::1 \t" : "#::1 \t";
    text += name;
  }
  return text;
}

RecordState LookAtRecord(const std::string& record, const std::string& hosts) {
  auto read = rir::ReadSmallFile(record);
  if (!read) {
    return RecordState::kDisagrees;
  }
  if (!*read || **read == "lost\n") {
    return RecordState::kNone;
  }
  std::string_view rest = **read;
  // The heading: lines of a stamp each, the file's stamp when the record was last known true.
  std::vector<hostsfile::FileStamp> stamps;
  for (const std::string_view key : {"stamp ", "saved ", "looked "}) {
    if (!rest.starts_with(key)) {
      continue;
    }
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(key.size(), end - key.size());
    rest.remove_prefix(std::min(end + 1, rest.size()));
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    hostsfile::FileStamp recorded{true, true, 0, 0, 0, 0};
    if (!NextNumber(line, recorded.volume) || !NextNumber(line, recorded.file) ||
        !NextNumber(line, recorded.size) || !NextNumber(line, recorded.modified) || !line.empty()) {
      return RecordState::kDisagrees;
    }
    stamps.push_back(recorded);
  }
  if (!stamps.empty()) {
    const auto now = hostsfile::StampOf(hosts);
    if (!now || std::find(stamps.begin(), stamps.end(), *now) == stamps.end()) {
      return RecordState::kDisagrees;
    }
  }
  std::vector<std::string> names;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (end > 0) {
      names.emplace_back(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  const std::string text = ReadText(hosts);
  return names == hostsfile::BlockedNames(text) ? RecordState::kAgrees : RecordState::kDisagrees;
}

KillCounts RunKills(const KillRun& run) {
  KillCounts counts;
  const std::filesystem::path root(run.folder);
  // Plain: the file is saved where it lies. Bind-mounted: the file lies in `real` and is saved
  // through its mount in `etc`, as a container sees a hosts file its host provides.
  const std::filesystem::path real = run.bind_mounted ? root / "real" : root;
  const std::filesystem::path saved_in = run.bind_mounted ? root / "etc" : root;
  std::filesystem::create_directories(real);
  std::filesystem::create_directories(saved_in);
  const std::string name = "hosts";
  std::string path = (saved_in / name).string();

  const std::string old_text = OwnLinesText(run.lines);
  if (!WriteText((real / name).string(), old_text) || (run.bind_mounted && !WriteText(path, ""))) {
    counts.error = "cannot write the files in " + run.folder;
    return counts;
  }
  std::optional<BindMount> mount;
  if (run.bind_mounted) {
    mount.emplace((real / name).string(), path);
    if (!mount->mounted()) {
      counts.error = "cannot bind-mount the file: " + std::string(std::strerror(errno));
      return counts;
    }
  }
  std::optional<BindMount> seen;
  if (!run.seen_in.empty()) {
    // Open to every user, as the system's /etc is.
    std::filesystem::permissions(
        saved_in, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                      std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                      std::filesystem::perms::others_exec);
    seen.emplace(saved_in.string(), run.seen_in, MS_BIND | MS_REC);
    if (!seen->mounted()) {
      counts.error = "cannot mount the folder on " + run.seen_in + ": " + std::strerror(errno);
      return counts;
    }
    path = run.seen_in + "/" + name;
  }
  const auto start_save =
      run.start_save ? run.start_save : [](const std::string& at, std::string_view /*text*/) {
        return StartSave(at);
      };
  const auto next_load = run.next_load ? run.next_load : [](const std::string& at) {
    BlockList list;
    return HostsStore(at).Load(list).has_value();
  };

  std::string new_text;
  {
    HostsStore store(path);
    BlockList list;
    if (!store.Load(list)) {
      counts.error = "cannot load " + path;
      return counts;
    }
    ChangeEveryEntry(list);
    new_text = store.BuildText(list);
  }
  counts.record_checked = !run.record.empty();
  // Counts a save left alone whose record disagrees.
  const auto look_after_unkilled = [&] {
    if (counts.record_checked && LookAtRecord(run.record, path) != RecordState::kAgrees) {
      ++counts.record_wrong_unkilled;
    }
  };
  const auto reset = [&] {
    RemoveAllBut(real, name);
    RemoveAllBut(saved_in, name);
    // Through the mount, when there is one: the same file.
    if (!WriteText(path, old_text)) {
      return false;
    }
    if (counts.record_checked) {
      const int status = WaitFor(start_save(path, old_text));
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ReadText(path) != old_text) {
        return false;
      }
      look_after_unkilled();
    }
    return true;
  };
  const std::string reset_failed = "cannot write the old text again into " + path;

  // How long a whole save takes, from the fork to the child's end.
  std::vector<double> calibration;
  for (int i = 0; i < 5; ++i) {
    if (!reset()) {
      counts.error = reset_failed;
      return counts;
    }
    const auto start = Clock::now();
    const int status = WaitFor(start_save(path, new_text));
    calibration.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ReadText(path) != new_text) {
      counts.error = "a save that was left alone did not write the new text";
      return counts;
    }
    look_after_unkilled();
  }
  std::sort(calibration.begin(), calibration.end());
  counts.save_seconds = calibration[calibration.size() / 2];

  std::mt19937 random(run.seed);
  std::uniform_real_distribution<double> delay(0, counts.save_seconds);
  const auto classify = [&](const std::string& text) {
    return text == old_text ? Text::kOld : text == new_text ? Text::kNew : Text::kTorn;
  };
  for (std::size_t kill = 0; kill < run.kills; ++kill) {
    if (!reset()) {
      counts.error = reset_failed;
      return counts;
    }
    const std::vector<std::string> record_files = FilesNamedAfter(run.record);
    const auto wait = std::chrono::duration<double>(delay(random));
    const auto start = Clock::now();
    const pid_t child = start_save(path, new_text);
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(wait));
    ::kill(child, SIGKILL);
    const int status = WaitFor(child);
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
      ++counts.failed_saves;
    }

    const Text before = classify(ReadText(path));
    const Beside beside_before = LookBeside(saved_in, name);
    // The folder the file really lies in, when that is another: nothing may appear there.
    const Beside real_before = run.bind_mounted ? LookBeside(real, name) : Beside{};
    counts.torn_before_load += before == Text::kTorn ? 1 : 0;
    counts.journals += beside_before.journal ? 1 : 0;
    counts.temporaries += beside_before.temporaries ? 1 : 0;

    // The next start of the program.
    const bool loaded = next_load(path);
    counts.failed_loads += loaded ? 0 : 1;
    const Text after = loaded ? classify(ReadText(path)) : Text::kTorn;
    if (counts.record_checked) {
      // The next request that the helper serves, whatever it is, settles what the kill left.
      if (run.next_request && !run.next_request()) {
        ++counts.failed_loads;
      }
      const RecordState record = LookAtRecord(run.record, path);
      counts.record_disagrees += record == RecordState::kDisagrees ? 1 : 0;
      counts.no_record += record == RecordState::kNone ? 1 : 0;
      for (const std::string& found : FilesNamedAfter(run.record)) {
        if (std::find(record_files.begin(), record_files.end(), found) == record_files.end()) {
          if (counts.record_leftovers++ == 0) {
            counts.record_leftover = found;
          }
          break;
        }
      }
    }
    const Beside beside_after = LookBeside(saved_in, name);
    const Beside real_after = run.bind_mounted ? LookBeside(real, name) : Beside{};
    const bool left = beside_before.foreign || real_before.anything || beside_after.anything ||
                      real_after.anything;
    if (left && counts.leftovers++ == 0) {
      counts.leftover = !beside_after.first.empty()  ? beside_after.first
                        : !real_after.first.empty()  ? "real/" + real_after.first
                        : !real_before.first.empty() ? "real/" + real_before.first
                                                     : beside_before.first;
    }
    // A plain file is replaced in one step: it is never torn, not even before the next load.
    if (after == Text::kTorn || (!run.bind_mounted && before == Text::kTorn)) {
      ++counts.torn;
    } else if (after == Text::kOld) {
      ++counts.old_text;
    } else {
      ++counts.new_text;
    }
  }
  if (!reset()) {
    counts.error = reset_failed;
  }
  return counts;
}

std::string Describe(const KillCounts& counts) {
  if (!counts.error.empty()) {
    return counts.error;
  }
  return "old " + std::to_string(counts.old_text) + ", new " + std::to_string(counts.new_text) +
         ", torn " + std::to_string(counts.torn) + ", leftovers " +
         std::to_string(counts.leftovers) +
         (counts.leftover.empty() ? "" : " (first: " + counts.leftover + ")") + ", failed loads " +
         std::to_string(counts.failed_loads) + " (before the next load: torn " +
         std::to_string(counts.torn_before_load) + ", journal " + std::to_string(counts.journals) +
         ", temporaries " + std::to_string(counts.temporaries) + "; failed saves " +
         std::to_string(counts.failed_saves) + "; a whole save takes " +
         Milliseconds(counts.save_seconds) + ")" +
         (counts.record_checked
              ? "; record disagrees after " + std::to_string(counts.record_disagrees) + " of " +
                    std::to_string(counts.old_text + counts.new_text + counts.torn) +
                    " kills, no record after " + std::to_string(counts.no_record) +
                    ", disagrees after " + std::to_string(counts.record_wrong_unkilled) +
                    " saves left alone, new files beside it after " +
                    std::to_string(counts.record_leftovers) + " kills" +
                    (counts.record_leftover.empty() ? ""
                                                    : " (first: " + counts.record_leftover + ")")
              : "");
}

}  // namespace testsupport
