// Whether a Windows test program runs under Wine rather than on Windows itself; never elsewhere.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

inline bool RunningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

}  // namespace testsupport
