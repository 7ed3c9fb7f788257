// Kills a save at random moments and looks at what it leaves: the hosts file must be exactly
// its old text or exactly its new one, and nothing may be left beside it once the next load has
// tidied up. Used by the kill test (a short run) and by bench/kill_save (a long one).
//
// Each save runs in a child process: it loads a file of the program's own lines, changes every
// entry (blocked <-> allowed), builds the text and saves it through HostsStore. The run first
// times whole saves, then kills one save per round with SIGKILL after a delay drawn uniformly
// over that time. After each kill it reads the file and its folder, loads the file once more
// through HostsStore (which finishes or undoes what the killed save left) and looks again.
//
// With a record to look at (the helper's record of the blocked entries), a save left alone of the
// old text first makes the record true for it before each kill, and after each next load the
// record must agree with the file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace testsupport {

struct KillRun {
  std::string folder;           // an empty folder for the run's files
  std::size_t lines = 100'000;  // lines of the hosts file
  std::size_t kills = 20;
  std::uint32_t seed = 1;
  // Save through a bind mount of the file, so that a rename onto it fails (EBUSY). Needs a
  // private mount namespace: call it from testsupport::InPrivateMounts.
  bool bind_mounted = false;
  // Where the save sees the file, when not where it lies: the file's folder is mounted there
  // (the system's /etc, for the helper, which writes only the system's hosts file). Needs a
  // private mount namespace.
  std::string seen_in;
  // Starts a save of `new_text` over the file at `path` in a process of its own; by default the
  // store's own save in a forked child. Exit status 0 when the save went through.
  std::function<pid_t(const std::string& path, std::string_view new_text)> start_save;
  // The program's next start: loads the file at `path`; by default through the store.
  std::function<bool(const std::string& path)> next_load;
  // The record that must agree with the file after each next load and `next_request` (when
  // there is one: what its keeper serves next); empty: none is looked at.
  std::string record;
  std::function<bool()> next_request;
};

struct KillCounts {
  double save_seconds = 0;   // a whole save's time, the median of the calibration runs
  std::size_t old_text = 0;  // kills after which the file held its old text
  std::size_t new_text = 0;  // ... its new text
  std::size_t torn = 0;      // ... anything else, or a plain file torn before the next load
  // Kills after which something other than the file was left in its folder: before the next
  // load, anything but the journal and temporary files named after the hosts file; after it,
  // anything at all.
  std::size_t leftovers = 0;
  // Seen before the next load, which is allowed to remove them.
  std::size_t journals = 0;     // kills that left `<hosts path>.rir-journal`
  std::size_t temporaries = 0;  // kills that left `<hosts path>.*` temporary files
  std::size_t torn_before_load = 0;
  std::size_t failed_saves = 0;  // saves that ended with an error instead of being killed
  std::size_t failed_loads = 0;  // next loads that failed (counted as torn as well)
  // With a record: kills after whose next load the record disagreed with the file, and those
  // that left no record at all (which agrees: nothing is put back); saves left alone whose record
  // disagreed (the calibration's, and those that make it true before each kill).
  bool record_checked = false;
  std::size_t record_disagrees = 0;
  std::size_t no_record = 0;
  std::size_t record_wrong_unkilled = 0;
  // Kills after whose next request a file named after the record (`<record>.*`) lay beside it
  // that was not there before the kill: a pending record or a temporary file nobody removes.
  std::size_t record_leftovers = 0;
  std::string record_leftover;  // the first such name
  std::string leftover;         // the name of the first file left over, if any
  std::string error;            // why the run could not be made; empty when it ran
};

// The program's own entries, each as its pair of lines, CR LF, alternately blocked and allowed.
std::string OwnLinesText(std::size_t lines);

KillCounts RunKills(const KillRun& run);

// How the helper's record of the blocked entries (at `record`) stands to the hosts file at
// `hosts`. The record: heading lines `<key> <volume> <file> <size> <modified>` (key `stamp`,
// `saved` or `looked`; numbers in decimal, possibly padded with spaces), each the hosts file's
// hostsfile::FileStamp when the record was known true, then one blocked name a line; it agrees
// when one of the stamps is the file's and the names are hostsfile::BlockedNames of its text, in
// order. A record of names only, as older helpers write it, agrees when the names do. No file,
// or one that says `lost`, is no record.
enum class RecordState { kAgrees, kDisagrees, kNone };
RecordState LookAtRecord(const std::string& record, const std::string& hosts);

// One line of counts, for people.
std::string Describe(const KillCounts& counts);

}  // namespace testsupport
