// The registry's policy keys under HKEY_LOCAL_MACHINE, set by the Windows program itself (it runs
// as an administrator), in the 64-bit view the browsers read. Firefox reads two DWORD values of a
// key of its own; the Chromium family one string value of the browser's key, beside whatever an
// administrator keeps there. We make the keys that are missing and note them, so that they go
// again; a key we did not make, or that holds anything now, stays.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "browserpolicy/browser_policies.h"

namespace browserpolicy {

namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kPolicyMade = "policy";
constexpr const char* kChromiumValue = "DnsOverHttpsMode";
constexpr REGSAM kView = KEY_WOW64_64KEY;

struct Family {
  const char* id;
  const char* browser;
  const char* key;  // beneath the places' base
};
constexpr Family kFamilies[] = {
    {"firefox", "Firefox", "\\Mozilla\\Firefox\\DNSOverHTTPS"},
    {"chromium", "Chromium", "\\Chromium"},
    {"chrome", "Google Chrome", "\\Google\\Chrome"},
    {"edge", "Microsoft Edge", "\\Microsoft\\Edge"},
    {"brave", "Brave", "\\BraveSoftware\\Brave"},
};

// An open registry key, closed once.
class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) {
      RegCloseKey(key_);
    }
  }
  HKEY get() const { return key_; }
  HKEY* out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

std::string KeyPath(const PolicyTarget& target) {
  return target.where.substr(kRoot.size());
}

bool IsFirefox(const PolicyTarget& target) {
  return target.id == "firefox";
}

rir::Error Failure(rir::ErrorCode code, const std::string& key, LSTATUS status) {
  return {code, std::string(kRoot) + key, rir::SystemReason(static_cast<int>(status))};
}

// The key's DWORD `name`, or nothing where it is not there or not a DWORD.
std::optional<DWORD> ReadDword(HKEY key, const char* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

// The key's string `name`, or "" where it is not there or not a string.
std::string ReadString(HKEY key, const char* name) {
  char text[64] = {};
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  return text;
}

// What a Firefox key's values say, or a Chromium key's string.
DohSetting SettingOf(HKEY key, const PolicyTarget& target) {
  if (IsFirefox(target)) {
    const auto enabled = ReadDword(key, "Enabled");
    return !enabled ? DohSetting::kNone : *enabled == 0 ? DohSetting::kOff : DohSetting::kOn;
  }
  const std::string mode = ReadString(key, kChromiumValue);
  return mode == "off"                             ? DohSetting::kOff
         : mode == "automatic" || mode == "secure" ? DohSetting::kOn
                                                   : DohSetting::kNone;
}

// Whether the key still says exactly what we set.
bool SaysOurs(HKEY key, const PolicyTarget& target) {
  if (IsFirefox(target)) {
    return ReadDword(key, "Enabled") == 0U && ReadDword(key, "Locked") == 1U;
  }
  return ReadString(key, kChromiumValue) == "off";
}

rir::Result<void> SetValue(HKEY key, const std::string& path, const char* name, DWORD type,
                           const void* bytes, DWORD size) {
  const LSTATUS status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(bytes), size);
  if (status != ERROR_SUCCESS) {
    return Failure(rir::ErrorCode::kWrite, path, status);
  }
  return {};
}

}  // namespace

// The installed program (its uninstaller beside it) sets the system's policies; a build tree's
// keeps them under a key of its own that no browser reads, so that trying a build, or testing
// one, changes no browser of the machine.
PolicyPlaces PolicyPlacesOf(const std::string& executable_folder) {
  const std::string uninstaller = executable_folder + "\\unins000.exe";
  if (GetFileAttributesA(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return PolicyPlaces{};
  }
  return PolicyPlaces{"SOFTWARE\\TamborelleRirAvadera\\BuildTreePolicies"};
}

std::vector<PolicyTarget> PolicyTargets(const PolicyPlaces& places) {
  std::vector<PolicyTarget> targets;
  for (const Family& family : kFamilies) {
    targets.push_back({family.id, family.browser, std::string(kRoot) + places.base + family.key});
  }
  return targets;
}

rir::Result<DohSetting> ReadPolicy(const PolicyPlaces& /*places*/, const PolicyTarget& target) {
  Key key;
  const LSTATUS status =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(target).c_str(), 0, KEY_READ | kView, key.out());
  if (status == ERROR_FILE_NOT_FOUND) {
    return DohSetting::kNone;
  }
  if (status != ERROR_SUCCESS) {
    return Failure(rir::ErrorCode::kOpenForReading, KeyPath(target), status);
  }
  return SettingOf(key.get(), target);
}

rir::Result<std::vector<std::string>> SetPolicy(const PolicyPlaces& places,
                                                const PolicyTarget& target) {
  auto setting = ReadPolicy(places, target);
  if (!setting) {
    return setting.error();
  }
  if (*setting != DohSetting::kNone) {
    return std::vector<std::string>{};
  }
  // Key by key below the base, so that each one we make is known.
  std::vector<std::string> made{std::string(kPolicyMade)};
  const std::string path = KeyPath(target);
  Key key;
  for (std::size_t at = places.base.size() + 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '\\') {
      continue;
    }
    const std::string part = path.substr(0, at);
    Key parent;
    DWORD disposition = 0;
    const LSTATUS status =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, part.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_SET_VALUE | kView, nullptr,
                        (at == path.size() ? key : parent).out(), &disposition);
    if (status != ERROR_SUCCESS) {
      RemoveMade(made);
      return Failure(rir::ErrorCode::kCreateFolder, part, status);
    }
    if (disposition == REG_CREATED_NEW_KEY) {
      made.push_back(part);
    }
  }
  constexpr DWORD kDisabled = 0;
  constexpr DWORD kLocked = 1;
  constexpr char kOff[] = "off";
  rir::Result<void> set =
      IsFirefox(target)
          ? SetValue(key.get(), path, "Enabled", REG_DWORD, &kDisabled, sizeof kDisabled)
          : SetValue(key.get(), path, kChromiumValue, REG_SZ, kOff, sizeof kOff);
  if (set && IsFirefox(target)) {
    set = SetValue(key.get(), path, "Locked", REG_DWORD, &kLocked, sizeof kLocked);
    if (!set) {
      RegDeleteValueA(key.get(), "Enabled");  // half of our policy is none of it
    }
  }
  if (!set) {
    RemoveMade(made);
    return set.error();
  }
  return made;
}

rir::Result<void> RemovePolicy(const PolicyPlaces& /*places*/, const PolicyTarget& target,
                               const std::vector<std::string>& /*made*/) {
  const std::string path = KeyPath(target);
  Key key;
  LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                 KEY_READ | KEY_SET_VALUE | kView, key.out());
  if (status == ERROR_FILE_NOT_FOUND || (status == ERROR_SUCCESS && !SaysOurs(key.get(), target))) {
    return {};  // gone, or someone else's word now: it stays
  }
  const std::vector<const char*> ours = IsFirefox(target)
                                            ? std::vector<const char*>{"Enabled", "Locked"}
                                            : std::vector<const char*>{kChromiumValue};
  for (const char* name : ours) {
    if (status == ERROR_SUCCESS) {
      status = RegDeleteValueA(key.get(), name);
    }
  }
  if (status != ERROR_SUCCESS) {
    return Failure(rir::ErrorCode::kRemove, path, status);
  }
  return {};
}

void RemoveMade(std::vector<std::string> made) {
  // Innermost first: a longer path never holds a shorter one.
  std::sort(made.begin(), made.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& path : made) {
    if (path == kPolicyMade) {
      continue;
    }
    // The registry deletes a key with values in it: only an empty one goes.
    Key key;
    DWORD subkeys = 1;
    DWORD values = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, key.out()) ==
            ERROR_SUCCESS &&
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0) {
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), kView, 0);
    }
  }
}

}  // namespace browserpolicy
