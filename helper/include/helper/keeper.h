// The helper's keeping mode: the system's keeper of blocks, run as root by the service manager at
// boot (rir-avadera-helper --keep), with or without the program. It watches the hosts file and
// puts back, within moments, every block the last save with the password left and every locked
// one, as the program's own watch does (the other program's lines kept, its text in the history
// first, the same wait against a program that undoes them in a loop); it checkpoints the lock's
// time every minute; it switches the scheduled entries at the schedule's changes; and it tells the
// program what it put back.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "hostsfile/block_again.h"
#include "rir/result.h"

namespace helper {

struct Keeping {
  std::string hosts_path;
  std::string data_folder;  // the lock's record, the history, the report to the program
  // Puts back every block kept (the last save's, the locked ones) that the file lacks, as the
  // program would; nothing when all are in place. An error: another program still writes the
  // file, or a save is under way: tried again at the next look.
  std::function<rir::Result<std::optional<hostsfile::BlockedAgain>>()> put_back;
  // Puts the scheduled entries in the file as the schedule has them now, through the same save
  // as one with the password; false when they are so already. An error: tried at the next look.
  std::function<rir::Result<bool>()> keep_schedule;
};

struct KeepTimes {
  std::chrono::milliseconds look_every{250};
  // Where no notice of a change comes (a file bound onto its place), the stamp is compared too.
  std::chrono::seconds stamp_every{2};
  std::chrono::seconds checkpoint_every{60};
  // A change of the schedule is made within this of its time; the clock and the zone are read
  // afresh at each look, so a changed clock or zone moves the changes with it.
  std::chrono::seconds schedule_every{15};
};

// For the package's removal and the uninstaller, which a lock refuses: prints when the lock on the
// blocks of `hosts_path` ends and gives 3 when one is on; 0 and nothing said when none is; 1 with
// the reason when that cannot be told.
int TellLock(const std::string& hosts_path, const std::string& data_folder);

// Keeps the blocks until `stop` says to end; it is asked between looks.
void Keep(const Keeping& keeping, const std::function<bool()>& stop, const KeepTimes& times = {});

}  // namespace helper
