// What the Public Suffix List alone says of a name, each platform by its own copy of the list;
// RegistrableName adds what the list does not know.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace blocklist::detail {

// The registrable name by the list's rules only: "1.1" for "192.168.1.1", as for any name under
// a top-level domain the list lacks.
std::optional<std::string> ListedRegistrableName(std::string_view host);

}  // namespace blocklist::detail
