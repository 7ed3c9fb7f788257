// The Public Suffix List's algorithm over the copy of the list compiled in: the rule that
// matches the most labels wins, an exception rule ("!") over any other, a wildcard ("*.")
// matches any one label, and a name no rule matches has its last label as its suffix.
#include <algorithm>
#include <vector>

#include "public_suffix_list.h"
#include "public_suffix_rules.h"

namespace blocklist {

namespace {

bool Listed(const std::string& rule) {
  return std::binary_search(detail::kPublicSuffixRules.begin(), detail::kPublicSuffixRules.end(),
                            std::string_view(rule));
}

}  // namespace

std::optional<std::string> detail::ListedRegistrableName(std::string_view host) {
  std::vector<std::size_t> starts;  // where each label begins
  for (std::size_t at = 0; at < host.size(); at = host.find('.', at) + 1) {
    starts.push_back(at);
    if (host.find('.', at) == std::string_view::npos) {
      break;
    }
  }
  const std::size_t labels = starts.size();
  // The last `count` labels.
  const auto last = [&](std::size_t count) {
    return std::string(host.substr(starts[labels - count]));
  };
  std::size_t suffix = 1;
  bool exception = false;
  for (std::size_t count = labels; count >= 1 && !exception; --count) {
    if (Listed("!" + last(count))) {
      suffix = count - 1;
      exception = true;
    }
  }
  for (std::size_t count = labels; count >= 1 && !exception; --count) {
    if (Listed(last(count)) || (count >= 2 && Listed("*." + last(count - 1)))) {
      suffix = count;
      break;
    }
  }
  if (host.empty() || labels <= suffix) {
    return std::nullopt;
  }
  return last(suffix + 1);
}

}  // namespace blocklist
