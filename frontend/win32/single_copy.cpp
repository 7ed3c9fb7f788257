#include "single_copy.h"

#include "main_window.h"

namespace win32 {

UINT OpenLoginMessage() {
  return RegisterWindowMessageA("TamborelleRirAvadera.OpenLogin");
}

SingleCopy::SingleCopy(const char* mutex_name) : mutex_(CreateMutexA(nullptr, FALSE, mutex_name)) {
  // A name that cannot be made at all lets this copy run rather than none.
  first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

SingleCopy::~SingleCopy() {
  if (mutex_) {
    CloseHandle(mutex_);
  }
}

bool SingleCopy::WakeFirstCopy() {
  const HWND first = FindWindowA(kMainWindowClass, nullptr);
  if (!first) {
    return false;
  }
  // The first copy may take the foreground for its login window.
  DWORD process = 0;
  GetWindowThreadProcessId(first, &process);
  AllowSetForegroundWindow(process);
  return PostMessageA(first, OpenLoginMessage(), 0, 0) != 0;
}

}  // namespace win32
