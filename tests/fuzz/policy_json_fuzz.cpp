// Fuzzes the edit of Firefox's shared policies.json: any text is either refused whole or gains
// our member, reads as off, and gives back exactly the text it was once the member is taken out
// again (an empty one: a file that holds no policy); a text that speaks of DNS over HTTPS
// already comes back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "browserpolicy/policy_json.h"

namespace {

void Require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto before = browserpolicy::FirefoxDohSetting(text, "p");
  const auto merged = browserpolicy::WithFirefoxDohOff(text, "p");
  Require(merged.has_value() == before.has_value());
  if (!merged) {
    return 0;
  }
  if (*before != browserpolicy::DohSetting::kNone || merged->text == text) {
    return 0;  // someone else's member, unlocked or not, stands
  }
  const auto after = browserpolicy::FirefoxDohSetting(merged->text, "p");
  Require(after && *after == browserpolicy::DohSetting::kOff);
  const auto back = browserpolicy::WithoutFirefoxDohOff(merged->text, "p", merged->added_policies);
  // A file that was not there is made whole, and holds nothing once we are gone.
  const bool blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
  Require(back && (blank ? browserpolicy::HoldsNoPolicy(*back) : *back == text));
  return 0;
}
