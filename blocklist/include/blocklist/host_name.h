// Website text as people type it ("https://www.Example.com/page", " example.com. ", a name in
// their own script), made the host name a resolver looks up: that is what a hosts line must
// hold to block anything.
#pragma once

#include <string>
#include <string_view>

#include "rir/result.h"

namespace blocklist {

// How the bytes of a text stand for letters past ASCII: the system's 8-bit code page, as typed
// into the program, or UTF-8, as most files from elsewhere hold them. The Linux program's code
// page is UTF-8.
enum class TextEncoding { kCodePage, kUtf8 };

// The host name in `typed`: blanks around it, a scheme, a user, a port, a path and a trailing
// dot dropped, lower case, an internationalised name in its ASCII form (through the platform's
// own call). A text that names no host (blanks inside, "*", an address) is a kNotAHostName
// error whose reason says why.
rir::Result<std::string> HostNameOf(std::string_view typed,
                                    TextEncoding encoding = TextEncoding::kCodePage);

// Whether an entry's text names `host` (a result of HostNameOf): the same name whatever its
// case, with or without a trailing dot.
bool NamesHost(std::string_view entry_text, std::string_view host);

// A name as the user reads it: an internationalised name ("xn--bcher-kva.example") in its own
// letters, in the system's 8-bit code page ("bücher.example"), for showing only; the list and
// the file keep the ASCII form. A name holding no ASCII-form part, one that does not decode, or
// one whose letters the code page lacks is shown as it stands.
std::string ShownName(std::string_view name);

namespace detail {
// The ASCII form of a name holding bytes past ASCII.
rir::Result<std::string> IdnToAscii(const std::string& name,
                                    TextEncoding encoding = TextEncoding::kCodePage);
// The letters of a name holding ASCII-form parts, in the system's 8-bit code page; empty when
// it has none that decode or the code page lacks one of them.
std::string IdnToUnicode(const std::string& name);
}  // namespace detail

}  // namespace blocklist
