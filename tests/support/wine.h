// Whether a Windows test program runs under Wine rather than on Windows itself.
#pragma once

#ifdef _WIN32
#include <windows.h>

namespace testsupport {

inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace testsupport
#endif
