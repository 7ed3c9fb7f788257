// The browsers' own name look-ups over HTTPS go past the hosts file. While the list blocks
// something, we turn them off through the way browsers give administrators: managed policies,
// one for each browser family, whether or not the browser is there yet. We take back exactly
// what we set when nothing is blocked any more, and never change or drop a policy someone else
// set: one that turns the look-ups on stands, and the check says so.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "browserpolicy/policy_json.h"
#include "rir/result.h"

namespace browserpolicy {

// Where the policies lie. Linux: the folder that stands for "/" (empty: the system's own), so
// that tests write beneath a folder of their own. Windows: the key under HKEY_LOCAL_MACHINE that
// holds the browsers' policy keys.
struct PolicyPlaces {
#ifdef _WIN32
  std::string base = "SOFTWARE\\Policies";
#else
  std::string base;
#endif
};

// One browser family's policy.
struct PolicyTarget {
  std::string id;       // "firefox", "chromium", "chrome", "edge", "brave": its name in our record
  std::string browser;  // "Firefox", "Google Chrome", ...: as the user knows it
  std::string where;    // the file or registry key, as told
};

// The installed program keeps the system's policies. A build tree keeps them where no browser
// reads them (Linux: beneath a folder beside the program, as it keeps its history there;
// Windows: a key of its own), so that trying a build, or testing one, changes no browser.
PolicyPlaces PolicyPlacesOf(const std::string& executable_folder);

std::vector<PolicyTarget> PolicyTargets(const PolicyPlaces& places);

// What the machine's policies say for `target`, whoever set them.
rir::Result<DohSetting> ReadPolicy(const PolicyPlaces& places, const PolicyTarget& target);
// Turns `target`'s look-ups over HTTPS off where no policy speaks of them yet; what it made
// (folders, files, keys) comes back, for RemovePolicy to take away again. Nothing is made where
// a policy of someone else's speaks already.
rir::Result<std::vector<std::string>> SetPolicy(const PolicyPlaces& places,
                                                const PolicyTarget& target);
// Takes our policy back out, where it still says what we set.
rir::Result<void> RemovePolicy(const PolicyPlaces& places, const PolicyTarget& target,
                               const std::vector<std::string>& made);
// Removes the folders or keys among `made` (of any targets) that hold nothing now.
void RemoveMade(std::vector<std::string> made);

// Our record, beside the history: whether the password's holder asked us to leave the browsers
// alone, and what we set, by target.
struct PolicyRecord {
  bool leave_alone = false;
  std::map<std::string, std::vector<std::string>> set;
};
std::string PolicyRecordPath(const std::string& data_folder);
// No record is the record of nothing set.
rir::Result<PolicyRecord> ReadPolicyRecord(const std::string& data_folder);

// What bringing the policies in line did.
struct PoliciesKept {
  std::vector<std::string> set;      // the browsers whose policy we set now
  std::vector<std::string> removed;  // the browsers whose policy we took back
  std::vector<rir::Error> failures;  // what could not be done; the rest was
};

// Sets our policies while `any_blocked` and the record does not say to leave the browsers alone,
// and takes them back otherwise. Failures come back with what was done: the blocks were saved.
PoliciesKept KeepBrowserPolicies(const PolicyPlaces& places, const std::string& data_folder,
                                 bool any_blocked);
// The same, for a save that left the hosts file holding `hosts_text`.
PoliciesKept KeepBrowserPoliciesFor(const PolicyPlaces& places, const std::string& data_folder,
                                    std::string_view hosts_text);
// Records the choice to leave the browsers alone, or not, and brings the policies in line with
// what the hosts file at `hosts_path` blocks. While a lock is on, the browsers may not be left
// alone (kLocked): one that goes around the hosts file would lift the locked blocks for itself.
rir::Result<PoliciesKept> ChooseLeaveAlone(const PolicyPlaces& places,
                                           const std::string& data_folder,
                                           const std::string& hosts_path, bool leave_alone);
// Takes back every policy we set, whatever the record's choice: the program is being removed.
PoliciesKept RemoveAllPolicies(const PolicyPlaces& places, const std::string& data_folder);

}  // namespace browserpolicy
