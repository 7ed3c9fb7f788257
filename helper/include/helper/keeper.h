// The helper's keeping mode: the system's keeper of blocks, run as root by the service manager at
// boot (rir-avadera-helper --keep), with or without the program. It watches the hosts file and
// puts back, within moments, every block the last save with the password left and every locked
// one, as the program's own watch does (the other program's lines kept, its text in the history
// first, the same wait against a program that undoes them in a loop); it checkpoints the lock's
// time every minute; and it tells the program what it put back.
#pragma once

#include <chrono>
#include <functional>

#include "helper/serve.h"

namespace helper {

struct KeepTimes {
  std::chrono::milliseconds look_every{250};
  // Where no notice of a change comes (a file bound onto its place), the stamp is compared too.
  std::chrono::seconds stamp_every{2};
  std::chrono::seconds checkpoint_every{60};
};

// Keeps the blocks of `place` until `stop` says to end; it is asked between looks.
void Keep(const Place& place, const std::function<bool()>& stop, const KeepTimes& times = {});

}  // namespace helper
