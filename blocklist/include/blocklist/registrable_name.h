// The name under which a site is registered, by the Public Suffix List: "bbc.co.uk" for
// "www.bbc.co.uk" (co.uk is a suffix anyone registers under), "example.com" for
// "m.example.com". Elsewhere than Windows through libpsl with the system's copy of the list;
// on Windows from a copy of the list compiled in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace blocklist {

// Nothing for a public suffix itself ("co.uk", "com", "github.io"), a name of one label, or a
// name whose last label is a number ("192.168.1.1", "a.0x1f"): browsers take that for an IPv4
// address and never look it up as a name, and no top-level domain is one.
std::optional<std::string> RegistrableName(std::string_view host);

}  // namespace blocklist
