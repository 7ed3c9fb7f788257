// The system's own windows that pick a file to read or name one to write, for a program whose
// paths are 8-bit text in the ANSI code page.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/common/platform_services.h"

namespace win32 {

// Shows the open or save window modally over `owner`; the path chosen in the ANSI code page,
// none when the user cancelled. A path with characters that the code page lacks is given in its
// short form, which is ASCII; where there is none the user is told and chooses again. The save
// window asks before it replaces a file that is there.
std::optional<std::string> ChooseFile(HWND owner, const ui::FileChoice& choice);

// The system's filter list: each kind's name and patterns, then every file, each text ended by
// a NUL and the list by one more.
std::wstring FileFilters(const ui::FileChoice& choice);

// `path` in the ANSI code page, when every character of it survives the way there.
std::optional<std::string> AnsiPath(std::wstring_view path);

}  // namespace win32
