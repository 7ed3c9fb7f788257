#include <algorithm>

#include "browserpolicy/browser_policies.h"
#include "hostsfile/hosts_format.h"
#include "lock/lock_length.h"
#include "lock/lock_store.h"
#include "lock/system_lock.h"
#include "rir/file_read.h"
#include "rir/text.h"

namespace browserpolicy {

namespace {

constexpr std::string_view kRecordHead = "rir-avadera-browser-policies 1";

// One line a fact: "leave-alone 0|1", then "set" TAB id (TAB what was made)... for each target.
std::string EncodeRecord(const PolicyRecord& record) {
  std::string text(kRecordHead);
  text += "\nleave-alone ";
  text += record.leave_alone ? "1" : "0";
  text += '\n';
  for (const auto& [id, made] : record.set) {
    text += "set\t" + id;
    for (const std::string& thing : made) {
      text += '\t' + thing;
    }
    text += '\n';
  }
  text += "end\n";
  return text;
}

std::vector<std::string> Split(std::string_view line, char separator) {
  std::vector<std::string> parts;
  for (std::size_t at = 0;;) {
    const auto end = line.find(separator, at);
    parts.emplace_back(line.substr(at, end - at));
    if (end == std::string_view::npos) {
      return parts;
    }
    at = end + 1;
  }
}

rir::Result<void> WriteRecord(const std::string& data_folder, const PolicyRecord& record) {
  return lock::ReplaceReadableFile(PolicyRecordPath(data_folder), EncodeRecord(record));
}

}  // namespace

std::string PolicyRecordPath(const std::string& data_folder) {
#ifdef _WIN32
  return data_folder + "\\browser-policies";
#else
  return data_folder + "/browser-policies";
#endif
}

rir::Result<PolicyRecord> ReadPolicyRecord(const std::string& data_folder) {
  const std::string path = PolicyRecordPath(data_folder);
  auto text = rir::ReadSmallFile(path);
  if (!text) {
    return text.error();
  }
  PolicyRecord record;
  if (!*text) {
    return record;
  }
  const std::vector<std::string> lines = Split(**text, '\n');
  const rir::Error damaged{rir::ErrorCode::kRead, path, "it is not whole"};
  if (lines.size() < 3 || lines.front() != kRecordHead ||
      std::find(lines.begin(), lines.end(), "end") == lines.end()) {
    return damaged;
  }
  for (const std::string& line : lines) {
    if (line == "leave-alone 1") {
      record.leave_alone = true;
    } else if (line.starts_with("set\t")) {
      std::vector<std::string> parts = Split(line, '\t');
      record.set[parts[1]] = std::vector<std::string>(parts.begin() + 2, parts.end());
    }
  }
  return record;
}

PoliciesKept KeepBrowserPolicies(const PolicyPlaces& places, const std::string& data_folder,
                                 bool any_blocked) {
  PoliciesKept kept;
  auto record = ReadPolicyRecord(data_folder);
  if (!record) {
    // A damaged record forgets what we set: each target is asked anew, and a policy of ours
    // still in place reads as someone else's and stays (this failure tells of it).
    kept.failures.push_back(record.error());
    record = PolicyRecord{};
  }
  const bool wanted = any_blocked && !record->leave_alone;
  const PolicyRecord before = *record;   // written again only when it changes
  std::vector<std::string> made_before;  // of the policies taken back
  for (const PolicyTarget& target : PolicyTargets(places)) {
    auto ours = record->set.find(target.id);
    std::vector<std::string> made_earlier;
    if (wanted && ours != record->set.end()) {
      // Someone took ours away while entries stay blocked: it is set again, and what was made
      // for it before still goes with it at the end.
      if (auto now = ReadPolicy(places, target); now && *now == DohSetting::kNone) {
        made_earlier = std::move(ours->second);
        record->set.erase(ours);
        ours = record->set.end();
      }
    }
    if (wanted && ours == record->set.end()) {
      auto made = SetPolicy(places, target);
      if (!made) {
        kept.failures.push_back(made.error());
      } else if (auto now = ReadPolicy(places, target); now && *now == DohSetting::kOff) {
        if (!made->empty()) {
          made->insert(made->end(), made_earlier.begin(), made_earlier.end());
          record->set[target.id] = std::move(*made);
          kept.set.push_back(target.browser);
        }
      }
    } else if (!wanted && ours != record->set.end()) {
      if (auto removed = RemovePolicy(places, target, ours->second); !removed) {
        kept.failures.push_back(removed.error());
      } else {
        made_before.insert(made_before.end(), ours->second.begin(), ours->second.end());
        record->set.erase(ours);
        kept.removed.push_back(target.browser);
      }
    }
  }
  RemoveMade(std::move(made_before));
  if (record->set != before.set) {
    if (auto written = WriteRecord(data_folder, *record); !written) {
      kept.failures.push_back(written.error());
    }
  }
  return kept;
}

PoliciesKept KeepBrowserPoliciesFor(const PolicyPlaces& places, const std::string& data_folder,
                                    std::string_view hosts_text) {
  return KeepBrowserPolicies(places, data_folder, hostsfile::BlocksAnyName(hosts_text));
}

rir::Result<PoliciesKept> ChooseLeaveAlone(const PolicyPlaces& places,
                                           const std::string& data_folder,
                                           const std::string& hosts_path, bool leave_alone) {
  auto text = rir::ReadSmallFile(hosts_path);
  if (!text) {
    return text.error();
  }
  const bool any_blocked = *text && hostsfile::BlocksAnyName(**text);
  if (leave_alone) {
    // The lock's record lies beside ours; reading it is a checkpoint of its time.
    auto on = lock::CurrentLock(lock::LockStore(data_folder), hosts_path, lock::ReadClocks());
    if (on && *on && !(*on)->names.empty()) {
      return rir::Error{rir::ErrorCode::kLocked,
                        {},
                        "the browsers' settings are kept until " +
                            lock::ShownTime((*on)->times.EndsAt()) +
                            ", since a browser left alone could go around the locked blocks"};
    }
  }
  auto record = ReadPolicyRecord(data_folder);
  if (!record) {
    record = PolicyRecord{};
  }
  record->leave_alone = leave_alone;
  if (auto written = WriteRecord(data_folder, *record); !written) {
    return written.error();
  }
  return KeepBrowserPolicies(places, data_folder, any_blocked);
}

PoliciesKept RemoveAllPolicies(const PolicyPlaces& places, const std::string& data_folder) {
  return KeepBrowserPolicies(places, data_folder, false);
}

}  // namespace browserpolicy
