// The program's windows as their logic reaches one another. Each exists at most once;
// touching one that is not loaded loads it and runs its load handler.
#pragma once

#include <cstdint>

namespace ui {

class frmRirAvadera;
class frmLogin;
class frmPassword;
class frmLock;
class frmSchedule;

enum class FormId { kMain, kLogin, kPassword, kLock, kSchedule };

// Why a window is asked to close.
enum class UnloadMode : std::int16_t {
  kControlMenu = 0,    // the close box or the system menu
  kFormCode = 1,       // the program unloads it
  kSessionEnding = 2,  // the user's session ends (shutdown, logoff)
  kTaskManager = 3,    // another program asks it to close
};

class Forms {
 public:
  virtual ~Forms() = default;

  // Touching: each loads its window first when it is not loaded.
  virtual frmRirAvadera& Main() = 0;
  virtual frmLogin& Login() = 0;
  virtual frmPassword& Password() = 0;
  virtual frmLock& Lock() = 0;
  virtual frmSchedule& Schedule() = 0;

  virtual bool IsLoaded(FormId id) const = 0;
  // Asks the window to close (the main window's close decision may refuse) and unloads it.
  // A window that is not loaded is not loaded for this; a window whose close is under way
  // finishes that close without being asked again.
  virtual void Unload(FormId id, UnloadMode mode = UnloadMode::kFormCode) = 0;
  // Loads the password change window if need be and shows it modally; returns once it has
  // unloaded.
  virtual void ShowPasswordModal() = 0;
  // Loads the lock window if need be and shows it modally over the main window; returns once it
  // has unloaded.
  virtual void ShowLockModal() = 0;
  // Loads the schedule window if need be and shows it modally over the main window; returns once
  // it has unloaded.
  virtual void ShowScheduleModal() = 0;
};

}  // namespace ui
