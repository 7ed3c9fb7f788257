#include "blockcheck/browser_bypass.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "browser_folders.h"
#include "rir/file_read.h"
#include "rir/text.h"

namespace blockcheck {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string_view Trimmed(std::string_view text) {
  return rir::Trimmed(text, " \t\r\n");
}

// A file that cannot be read tells nothing either way; the warning is advice, and a profile
// folder the user cannot read is no browser the user runs.
std::string FileText(const std::string& path) {
  auto text = rir::ReadSmallFile(path);
  return text && *text ? std::move(**text) : std::string{};
}

struct Profile {
  std::string name;
  std::string folder;
};

std::string Joined(const std::string& folder, std::string_view relative) {
  std::string path = folder;
  path += kSeparator;
  for (const char c : relative) {
    path += c == '/' ? kSeparator : c;
  }
  return path;
}

// The [ProfileN] sections of profiles.ini, in order.
std::vector<Profile> ProfilesOf(const std::string& firefox_folder) {
  const std::string text = FileText(Joined(firefox_folder, "profiles.ini"));
  std::vector<Profile> profiles;
  bool in_profile = false;
  bool relative = true;
  std::string name;
  std::string path;
  const auto finish = [&] {
    if (in_profile && !path.empty()) {
      profiles.push_back(
          {name.empty() ? path : name, relative ? Joined(firefox_folder, path) : path});
    }
    name.clear();
    path.clear();
    relative = true;
  };
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = Trimmed(std::string_view(text).substr(at, end - at));
    at = end + 1;
    if (line.starts_with('[')) {
      finish();
      in_profile = line.starts_with("[Profile");
      continue;
    }
    const auto equals = line.find('=');
    if (!in_profile || equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (key == "Name") {
      name = value;
    } else if (key == "Path") {
      path = value;
    } else if (key == "IsRelative") {
      relative = value != "0";
    }
  }
  finish();
  return profiles;
}

// The number in `user_pref("<name>", <number>);`, when the line is that setting.
std::optional<int> IntegerPrefLine(std::string_view line, std::string_view name) {
  if (!line.starts_with("user_pref")) {
    return std::nullopt;
  }
  std::string_view rest = Trimmed(line.substr(9));
  if (!rest.starts_with('(')) {
    return std::nullopt;
  }
  rest = Trimmed(rest.substr(1));
  const std::string quoted = "\"" + std::string(name) + "\"";
  if (!rest.starts_with(quoted)) {
    return std::nullopt;
  }
  rest = Trimmed(rest.substr(quoted.size()));
  if (!rest.starts_with(',')) {
    return std::nullopt;
  }
  rest = Trimmed(rest.substr(1));
  int number = 0;
  const auto [end, failed] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (failed != std::errc{} ||
      !Trimmed(rest.substr(static_cast<std::size_t>(end - rest.data()))).starts_with(')')) {
    return std::nullopt;
  }
  return number;
}

// The last value that a prefs.js or user.js gives the setting: the browser reads the lines in
// order, so a later one wins. Those files hold a setting a line; a line commented out, or inside
// a /* */ comment, sets nothing.
std::optional<int> IntegerPref(std::string_view text, std::string_view name) {
  std::optional<int> value;
  bool in_comment = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = Trimmed(text.substr(at, end - at));
    at = end + 1;
    if (in_comment) {
      const auto closed = line.find("*/");
      if (closed == std::string_view::npos) {
        continue;
      }
      in_comment = false;
      line = Trimmed(line.substr(closed + 2));
    }
    if (line.starts_with("/*")) {
      in_comment = line.find("*/", 2) == std::string_view::npos;
      continue;
    }
    if (auto number = IntegerPrefLine(line, name)) {
      value = number;
    }
  }
  return value;
}

// The mode the browser's resolver runs in. A mode of 0 leaves the choice to the gradual roll-out
// of DNS over HTTPS, which keeps its own setting; 5 is off by the user's choice.
int TrrMode(const std::string& profile_folder) {
  std::optional<int> mode;
  std::optional<int> rollout;
  // user.js is read after prefs.js at every start, and wins.
  for (const char* file : {"prefs.js", "user.js"}) {
    const std::string text = FileText(Joined(profile_folder, file));
    if (auto value = IntegerPref(text, "network.trr.mode")) {
      mode = value;
    }
    if (auto value = IntegerPref(text, "doh-rollout.mode")) {
      rollout = value;
    }
  }
  if (mode.value_or(0) == 0) {
    return rollout.value_or(0);
  }
  return *mode;
}

constexpr std::string_view kFirefox = "Firefox";
constexpr std::string_view kFirefoxId = "firefox";

using browserpolicy::DohSetting;

// The policies of the computer that speak of DNS over HTTPS, by the family's id. One that cannot
// be read sets nothing, for the browser too passes over it.
std::map<std::string, DohSetting> PoliciesInForce(const browserpolicy::PolicyPlaces& places) {
  std::map<std::string, DohSetting> policies;
  for (const browserpolicy::PolicyTarget& target : browserpolicy::PolicyTargets(places)) {
    auto setting = browserpolicy::ReadPolicy(places, target);
    if (setting && *setting != DohSetting::kNone) {
      policies[target.id] = *setting;
    }
  }
  return policies;
}

BrowserFinding ByPolicy(std::string_view browser, DohSetting setting) {
  if (setting == DohSetting::kOff) {
    return {
        std::string(browser), {}, false, "a policy of this computer turns its DNS over HTTPS off"};
  }
  return {std::string(browser), {}, true, "a policy of this computer turns its DNS over HTTPS on"};
}

bool IsInstalled(const BrowserPlaces& places, std::string_view browser) {
  return std::any_of(places.installed.begin(), places.installed.end(), [&](const auto& program) {
    return program.first == browser && PathExists(program.second);
  });
}

BrowserFinding ByFirefoxProfile(const Profile& profile) {
  switch (TrrMode(profile.folder)) {
    case 2:
      return {std::string(kFirefox), profile.name, true,
              "its own setting sends look-ups over HTTPS first"};
    case 3:
      return {std::string(kFirefox), profile.name, true,
              "its own setting sends look-ups over HTTPS only"};
    default:
      return {std::string(kFirefox), profile.name, false, "its DNS over HTTPS is off"};
  }
}

void JudgeFirefox(const BrowserPlaces& places, const std::map<std::string, DohSetting>& policies,
                  std::vector<BrowserFinding>& findings) {
  std::vector<Profile> profiles;
  bool found = IsInstalled(places, kFirefox);
  for (const std::string& folder : places.firefox_folders) {
    found = found || PathExists(folder);
    for (Profile& profile : ProfilesOf(folder)) {
      profiles.push_back(std::move(profile));
    }
  }
  if (!found) {
    return;
  }
  if (const auto policy = policies.find(std::string(kFirefoxId)); policy != policies.end()) {
    findings.push_back(ByPolicy(kFirefox, policy->second));
  } else if (profiles.empty()) {
    // A new profile starts with DNS over HTTPS off, unless the gradual roll-out turns it on.
    findings.push_back({std::string(kFirefox), {}, false, "it has no profile yet"});
  } else {
    std::transform(profiles.begin(), profiles.end(), std::back_inserter(findings),
                   ByFirefoxProfile);
  }
}

// The "mode" of "dns_over_https" in a Chromium-family folder's "Local State"; "" when unset.
std::string ChromiumDohMode(const std::string& folder) {
  const auto json = nlohmann::json::parse(FileText(Joined(folder, "Local State")), nullptr, false);
  if (!json.is_object()) {
    return {};
  }
  const auto doh = json.find("dns_over_https");
  if (doh == json.end() || !doh->is_object()) {
    return {};
  }
  const auto mode = doh->find("mode");
  return mode != doh->end() && mode->is_string() ? mode->get<std::string>() : std::string{};
}

// What a Chromium-family browser's own secure DNS setting means for the hosts file. "automatic"
// (also the setting left unset) asks the system's resolver, and upgrades to the same provider
// over HTTPS only where that provider offers it. "secure" sends look-ups to the chosen provider,
// but Chromium's own resolver reads the hosts file first, as long as the file is not too large
// for it (measured with Chromium 156: blocked with secure DNS on; past 32 MiB, reached).
BrowserFinding ByChromiumSetting(const std::string& browser, std::string_view mode,
                                 std::size_t hosts_bytes) {
  if (mode == "secure") {
    if (hosts_bytes > kMostChromiumHostsBytes) {
      return {browser,
              {},
              true,
              "its secure DNS uses a chosen provider, and the hosts file is too large for it to "
              "read first"};
    }
    return {browser, {}, false, "its secure DNS reads the hosts file first"};
  }
  if (mode == "off") {
    return {browser, {}, false, "its secure DNS is off"};
  }
  return {browser, {}, false, "its secure DNS is automatic, which keeps to the hosts file"};
}

void JudgeChromium(const BrowserPlaces& places, const std::map<std::string, DohSetting>& policies,
                   std::vector<BrowserFinding>& findings) {
  std::vector<std::string> judged;
  for (const ChromiumFolder& family : places.chromium_folders) {
    if (std::find(judged.begin(), judged.end(), family.browser) != judged.end()) {
      continue;
    }
    judged.push_back(family.browser);
    std::vector<std::string> folders;
    for (const ChromiumFolder& each : places.chromium_folders) {
      if (each.browser == family.browser && PathExists(each.folder)) {
        folders.push_back(each.folder);
      }
    }
    if (folders.empty() && !IsInstalled(places, family.browser)) {
      continue;
    }
    if (const auto policy = policies.find(family.id); policy != policies.end()) {
      findings.push_back(ByPolicy(family.browser, policy->second));
    } else if (folders.empty()) {
      // No folder yet: the setting it starts with.
      findings.push_back(ByChromiumSetting(family.browser, {}, places.hosts_bytes));
    } else {
      for (const std::string& folder : folders) {
        findings.push_back(
            ByChromiumSetting(family.browser, ChromiumDohMode(folder), places.hosts_bytes));
      }
    }
  }
}

}  // namespace

std::vector<BrowserFinding> JudgeBrowsers(const BrowserPlaces& places) {
  const auto policies = PoliciesInForce(places.policies);
  std::vector<BrowserFinding> findings;
  JudgeFirefox(places, policies, findings);
  JudgeChromium(places, policies, findings);
  return findings;
}

}  // namespace blockcheck
