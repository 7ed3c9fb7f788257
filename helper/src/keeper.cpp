#include "helper/keeper.h"

#include <algorithm>
#include <ctime>
#include <iostream>
#include <iterator>
#include <optional>
#include <thread>

#include "hostsfile/folder_watch.h"
#include "hostsfile/keeper_report.h"
#include "lock/lock_length.h"
#include "lock/system_lock.h"

namespace helper {

namespace {

using Clock = std::chrono::steady_clock;

// What the program reads to learn of the put-backs, counted on from the last report.
void Report(const std::string& data_folder, const hostsfile::BlockedAgain& again) {
  hostsfile::KeeperReport report =
      hostsfile::ReadKeeperReport(data_folder).value_or(hostsfile::KeeperReport{});
  report.count += 1;
  report.wall = std::time(nullptr);
  report.removed = again.removed;
  report.allowed = again.allowed;
  report.partial = again.partial;
  report.names = again.names;
  static_cast<void>(lock::ReplaceReadableFile(hostsfile::KeeperReportPath(data_folder),
                                              hostsfile::EncodeKeeperReport(report)));
}

// How soon the next put-back may be: after blocks undone again within a minute of the last
// put-back, the tries wait 1, 5, then 15 minutes, as the program's watch waits.
class Pace {
 public:
  bool MayTry(Clock::time_point now) const { return now >= wait_until_; }

  void Changed(Clock::time_point now) {
    if (!waiting_ && put_back_ && now - last_ < hostsfile::kUndoneSoon) {
      waits_ = std::min<std::size_t>(waits_ + 1, std::size(hostsfile::kBackOffWaits));
      wait_until_ = now + hostsfile::kBackOffWaits[waits_ - 1];
      waiting_ = true;
    }
  }

  void PutBack(Clock::time_point now) {
    // After a wait the count of waits goes on; after a calm minute it starts again.
    if (!waiting_) {
      waits_ = 0;
    }
    waiting_ = false;
    put_back_ = true;
    last_ = now;
  }

 private:
  bool put_back_ = false;
  Clock::time_point last_{};
  bool waiting_ = false;
  Clock::time_point wait_until_{};
  std::size_t waits_ = 0;
};

}  // namespace

int TellLock(const std::string& hosts_path, const std::string& data_folder) {
  auto on = lock::CurrentLock(lock::LockStore(data_folder), hosts_path, lock::ReadClocks());
  if (!on) {
    std::cerr << rir::DescribeError(on.error()) << "\n";
    return 1;
  }
  if (!*on) {
    return 0;
  }
  std::cout << "The blocks are locked until " << lock::ShownTime((*on)->times.EndsAt()) << ".\n";
  return 3;
}

void Keep(const Keeping& keeping, const std::function<bool()>& stop, const KeepTimes& times) {
  hostsfile::FolderWatch watch(keeping.hosts_path);
  Pace pace;
  std::optional<hostsfile::FileStamp> seen;  // the file as last found holding every block
  bool changed = true;  // at the start: a file replaced while no keeper ran is put right
  auto next_checkpoint = Clock::now();
  auto next_stamp = Clock::now();
  auto next_schedule = Clock::now();
  while (!stop()) {
    const auto now = Clock::now();
    if (keeping.keep_schedule && now >= next_schedule) {
      next_schedule = now + times.schedule_every;
      // The put-back below takes the switched file as seen: the save recorded what it blocks.
      static_cast<void>(keeping.keep_schedule());
    }
    if (now >= next_checkpoint) {
      // Every minute at least, so that a restart loses little of the time that passed.
      static_cast<void>(lock::CurrentLock(lock::LockStore(keeping.data_folder), keeping.hosts_path,
                                          lock::ReadClocks()));
      next_checkpoint = now + times.checkpoint_every;
    }
    bool look = watch.Changed();
    if (now >= next_stamp) {
      next_stamp = now + times.stamp_every;
      look = true;
    }
    if (look) {
      const auto stamp = hostsfile::StampOf(keeping.hosts_path);
      if (!stamp || *stamp != seen) {
        if (!changed) {
          pace.Changed(now);
        }
        changed = true;
      }
    }
    if (changed && pace.MayTry(now)) {
      auto again = keeping.put_back();
      if (again) {
        changed = false;
        if (*again) {
          pace.PutBack(now);
          Report(keeping.data_folder, **again);
        }
        auto stamp = hostsfile::StampOf(keeping.hosts_path);
        seen = stamp ? std::optional(*stamp) : std::nullopt;
      }
      // Else another program still writes it, or a save is under way: looked at again soon.
    }
    std::this_thread::sleep_for(times.look_every);
  }
}

}  // namespace helper
