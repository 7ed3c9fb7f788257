// Keeping an INI file of ours from other users' eyes: the state file holds the password's hash,
// which anyone who may read it can try guesses against at leisure.
#pragma once

#include <string>

#include "rir/result.h"

namespace settings {

#ifdef _WIN32
// Protected (P): nothing inherited. Full access (FA) for built-in Administrators (BA) and
// Local System (SY).
inline constexpr const char* kAdministratorsOnly = "D:P(A;;FA;;;BA)(A;;FA;;;SY)";
// Gives the file an access list of its own, inheriting nothing from its folder: full control
// for the Administrators group and SYSTEM, nothing for anybody else.
rir::Result<void> KeepForAdministratorsOnly(const std::string& path);
#else
// The mode every INI file is written with: its owner reads and writes it, nobody else.
inline constexpr unsigned kPrivateFileMode = 0600;
#endif

}  // namespace settings
