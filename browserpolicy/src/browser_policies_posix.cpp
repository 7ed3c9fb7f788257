#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "browserpolicy/browser_policies.h"
#include "rir/file_read.h"
#include "rir/posix_file.h"

namespace browserpolicy {

namespace {

// Our file in a Chromium-family browser's folder of managed policies; the browser reads every
// JSON file there.
constexpr std::string_view kOurChromiumFile = "/tamborelle-rir-avadera.json";
constexpr std::string_view kFirefoxFile = "/etc/firefox/policies/policies.json";
// Firefox reads the file in /etc in place of the one in its own folder, never both: a file we make
// in /etc starts as a copy of that one, or its policies would stop.
constexpr std::string_view kFirefoxOwnFiles[] = {"/usr/lib/firefox-esr/distribution/policies.json",
                                                 "/usr/lib/firefox/distribution/policies.json"};
constexpr std::string_view kPolicyMade = "policy";
constexpr std::string_view kFileMade = "file";
constexpr std::string_view kPoliciesMade = "policies";  // Firefox's "policies" member
constexpr mode_t kReadableByAll = 0644;
constexpr mode_t kFolderMode = 0755;

struct ChromiumFolder {
  const char* id;
  const char* browser;
  const char* folder;
};
constexpr ChromiumFolder kChromiumFolders[] = {
    {"chromium", "Chromium", "/etc/chromium/policies/managed"},
    {"chrome", "Google Chrome", "/etc/opt/chrome/policies/managed"},
    {"edge", "Microsoft Edge", "/etc/opt/edge/policies/managed"},
    {"brave", "Brave", "/etc/brave/policies/managed"},
};

bool IsFirefox(const PolicyTarget& target) {
  return target.id == "firefox";
}

// The policies Firefox's own folder holds, as text; empty when there are none.
std::string FirefoxOwnPolicies(const PolicyPlaces& places) {
  for (const std::string_view file : kFirefoxOwnFiles) {
    auto text = rir::ReadSmallFile(places.base + std::string(file));
    if (text && *text) {
      return std::move(**text);
    }
  }
  return {};
}

std::string ChromiumFolderOf(const PolicyTarget& target) {
  return target.where.substr(0, target.where.size() - kOurChromiumFile.size());
}

rir::Result<std::string> TextOf(const std::string& path) {
  auto text = rir::ReadSmallFile(path);
  if (!text) {
    return text.error();
  }
  return *text ? std::move(**text) : std::string();
}

// Makes the folders up to `folder` that are missing, and adds each to `made`, outermost first.
rir::Result<void> MakeFolders(const std::string& folder, std::vector<std::string>& made) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') {
      continue;
    }
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), kFolderMode) == 0) {
      made.push_back(part);
    } else if (errno != EEXIST) {
      return rir::SystemFailure(rir::ErrorCode::kCreateFolder, part);
    }
  }
  return {};
}

// Every JSON file of the folder but ours: an administrator's policies.
DohSetting OthersChromiumSetting(const std::string& folder, const std::string& ours) {
  DohSetting setting = DohSetting::kNone;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    return setting;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string path = folder + "/" + entry->d_name;
    if (path == ours || !path.ends_with(".json")) {
      continue;
    }
    auto text = TextOf(path);
    const DohSetting one = text ? ChromiumDohSetting(*text) : DohSetting::kNone;
    if (one == DohSetting::kOn || (one == DohSetting::kOff && setting == DohSetting::kNone)) {
      setting = one;
    }
  }
  ::closedir(listing);
  return setting;
}

}  // namespace

PolicyPlaces PolicyPlacesOf(const std::string& executable_folder) {
  if (executable_folder == "/opt/tamborelle-rir-avadera") {
    return PolicyPlaces{};
  }
  return PolicyPlaces{executable_folder + "/policies"};
}

std::vector<PolicyTarget> PolicyTargets(const PolicyPlaces& places) {
  std::vector<PolicyTarget> targets{
      {"firefox", "Firefox", places.base + std::string(kFirefoxFile)}};
  for (const ChromiumFolder& chromium : kChromiumFolders) {
    targets.push_back({chromium.id, chromium.browser,
                       places.base + chromium.folder + std::string(kOurChromiumFile)});
  }
  return targets;
}

rir::Result<DohSetting> ReadPolicy(const PolicyPlaces& /*places*/, const PolicyTarget& target) {
  auto text = TextOf(target.where);
  if (!text) {
    return text.error();
  }
  if (IsFirefox(target)) {
    return FirefoxDohSetting(*text, target.where);
  }
  const DohSetting others = OthersChromiumSetting(ChromiumFolderOf(target), target.where);
  return others != DohSetting::kNone ? others : ChromiumDohSetting(*text);
}

rir::Result<std::vector<std::string>> SetPolicy(const PolicyPlaces& places,
                                                const PolicyTarget& target) {
  auto text = TextOf(target.where);
  if (!text) {
    return text.error();
  }
  struct stat status {};
  const bool existed = ::lstat(target.where.c_str(), &status) == 0;
  if (IsFirefox(target) && !existed) {
    *text = FirefoxOwnPolicies(places);
  }
  std::vector<std::string> made{std::string(kPolicyMade)};
  std::string wanted(kChromiumPolicyText);
  if (IsFirefox(target)) {
    auto setting = FirefoxDohSetting(*text, target.where);
    if (!setting) {
      return setting.error();
    }
    if (*setting != DohSetting::kNone) {
      return std::vector<std::string>{};
    }
    auto merged = WithFirefoxDohOff(*text, target.where);
    if (!merged) {
      return merged.error();
    }
    if (merged->added_policies) {
      made.emplace_back(kPoliciesMade);
    }
    if (merged->text == *text) {
      return std::vector<std::string>{};  // an unlocked one of someone else's: theirs stands
    }
    wanted = std::move(merged->text);
  } else if (OthersChromiumSetting(ChromiumFolderOf(target), target.where) != DohSetting::kNone) {
    return std::vector<std::string>{};
  }
  if (!existed) {
    made.emplace_back(kFileMade);
  }
  if (auto folders = MakeFolders(rir::FolderOf(target.where), made); !folders) {
    return folders.error();
  }
  const mode_t mode = existed ? (status.st_mode & 07777) : kReadableByAll;
  if (auto written = rir::ReplaceFileByRename(target.where, wanted, mode); !written) {
    RemoveMade(made);
    return written.error();
  }
  return made;
}

rir::Result<void> RemovePolicy(const PolicyPlaces& places, const PolicyTarget& target,
                               const std::vector<std::string>& made) {
  auto text = TextOf(target.where);
  if (!text) {
    return text.error();
  }
  // Our Chromium file is ours by its name, until someone makes it say something else.
  bool remove = !IsFirefox(target) && ChromiumDohSetting(*text) == DohSetting::kOff;
  std::string kept = *text;
  if (IsFirefox(target)) {
    const bool added_policies = std::find(made.begin(), made.end(), kPoliciesMade) != made.end();
    auto without = WithoutFirefoxDohOff(*text, target.where, added_policies);
    if (!without) {
      return without.error();
    }
    kept = std::move(*without);
    remove = std::find(made.begin(), made.end(), kFileMade) != made.end() &&
             (HoldsNoPolicy(kept) || kept == FirefoxOwnPolicies(places));
  }
  if (remove) {
    if (::unlink(target.where.c_str()) != 0 && errno != ENOENT) {
      return rir::SystemFailure(rir::ErrorCode::kRemove, target.where);
    }
  } else if (kept != *text) {
    struct stat status {};
    const mode_t mode =
        ::stat(target.where.c_str(), &status) == 0 ? (status.st_mode & 07777) : kReadableByAll;
    if (auto written = rir::ReplaceFileByRename(target.where, kept, mode); !written) {
      return written;
    }
  }
  return {};
}

void RemoveMade(std::vector<std::string> made) {
  // Innermost first: a longer path never holds a shorter one.
  std::sort(made.begin(), made.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : made) {
    if (folder.starts_with('/')) {
      ::rmdir(folder.c_str());  // only an empty one goes
    }
  }
}

}  // namespace browserpolicy
