#include "blockcheck/browser_bypass.h"

#include <charconv>
#include <optional>
#include <string_view>

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

}  // namespace

std::vector<BypassingBrowser> FindBrowsersThatBypassHosts(
    const std::vector<std::string>& firefox_folders) {
  std::vector<BypassingBrowser> found;
  for (const std::string& folder : firefox_folders) {
    for (const Profile& profile : ProfilesOf(folder)) {
      const int mode = TrrMode(profile.folder);
      if (mode == 2 || mode == 3) {
        found.push_back({"Firefox", profile.name, mode});
      }
    }
  }
  return found;
}

}  // namespace blockcheck
