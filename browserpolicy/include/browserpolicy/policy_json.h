// The browsers' policy files as text. Firefox keeps every policy of the machine in one JSON file
// that an administrator, and other programs, write too: we add or take out one member of it,
// "DNSOverHTTPS", and leave every other byte where it was, so nothing we did not write changes,
// not even its spacing.
#pragma once

#include <string>
#include <string_view>

#include "rir/result.h"

namespace browserpolicy {

// What a policy says of the browser's own name look-ups over HTTPS.
enum class DohSetting {
  kNone,  // nothing: the browser's own setting decides
  kOff,   // turned off for good (Firefox: locked too): the browser asks the system
  kOn,    // turned on (Firefox: Enabled; Chromium: "automatic" or "secure")
};

// The member we write: DNS over HTTPS off, and locked so the browser's settings cannot turn it on.
inline constexpr std::string_view kFirefoxMember = "DNSOverHTTPS";
inline constexpr std::string_view kFirefoxOff = R"({"Enabled": false, "Locked": true})";

// The text of a policies.json (`text`; empty for a file that is not there) with our member
// inside "policies". A file that holds a "DNSOverHTTPS" already comes back unchanged: the
// administrator's word stands. kInvalidText, naming `path`, for a text that is not a JSON object
// or whose "policies" is not one; nothing may then be written.
struct MergedPolicies {
  std::string text;
  bool added_policies = false;  // "policies" itself was added, holding our member alone
};
rir::Result<MergedPolicies> WithFirefoxDohOff(std::string_view text, const std::string& path);
// The text without our member, where it still says exactly what we wrote; else unchanged.
// `drop_policies`: "policies" goes too where it holds nothing else (we added it).
rir::Result<std::string> WithoutFirefoxDohOff(std::string_view text, const std::string& path,
                                              bool drop_policies = false);
// Whether the text holds no policy at all ({} or {"policies": {}}): a file we made and may remove.
bool HoldsNoPolicy(std::string_view text);

rir::Result<DohSetting> FirefoxDohSetting(std::string_view text, const std::string& path);
// A Chromium-family managed policy file's "DnsOverHttpsMode"; a file that is not JSON sets
// nothing (the browser passes over it as well).
DohSetting ChromiumDohSetting(std::string_view text);

// The Chromium-family file we write into a managed policy folder.
inline constexpr std::string_view kChromiumPolicyText = "{\"DnsOverHttpsMode\": \"off\"}\n";

}  // namespace browserpolicy
