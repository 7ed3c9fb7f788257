// One copy of the program at a time: a second start asks the first copy to open its login
// window, then ends.
#pragma once

#include <windows.h>

namespace win32 {

// The registered message, sent to the main window, that opens the login window.
UINT OpenLoginMessage();

class SingleCopy {
 public:
  explicit SingleCopy(const char* mutex_name = "Local\\TamborelleRirAvadera.Running");
  SingleCopy(const SingleCopy&) = delete;
  SingleCopy& operator=(const SingleCopy&) = delete;
  ~SingleCopy();

  // False when another copy of the program holds the name.
  bool first() const { return first_; }
  // Asks the copy that runs already to open its login window; false if its main window cannot
  // be found (it is still starting, or ending).
  static bool WakeFirstCopy();

 private:
  HANDLE mutex_ = nullptr;
  bool first_ = true;
};

}  // namespace win32
