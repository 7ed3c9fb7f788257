#include <libpsl.h>

#include "public_suffix_list.h"

namespace blocklist {

namespace {

// The list as the system keeps it up to date (Debian's publicsuffix), else libpsl's own copy.
const psl_ctx_t* List() {
  static const psl_ctx_t* const list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest != nullptr ? latest : psl_builtin();
  }();
  return list;
}

}  // namespace

std::optional<std::string> detail::ListedRegistrableName(std::string_view host) {
  const std::string name(host);
  const psl_ctx_t* list = List();
  const char* registrable = list != nullptr ? psl_registrable_domain(list, name.c_str()) : nullptr;
  if (registrable == nullptr) {
    return std::nullopt;
  }
  return std::string(registrable);
}

}  // namespace blocklist
