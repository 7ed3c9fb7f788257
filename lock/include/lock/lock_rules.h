// What a lock allows: every rule of it, in one place, for the window, the helper and the service.
// Tightening is always allowed (adding websites, blocking, a longer lock); loosening a locked
// block is not (allowing or removing a locked entry, a text that unblocks one, a shorter lock,
// uninstalling) until the lock ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lock/clocks.h"
#include "lock/lock_store.h"
#include "rir/error.h"

namespace lock {

// Whether the lock holds `name` blocked.
bool Holds(const Lock& lock, std::string_view name);

// The locked names that `text`, a hosts file to be written, would not block: each of them lifted.
std::vector<std::string> UnlockedBy(const Lock& lock, std::string_view text);

// The lock after `text` is written during it: every name the text blocks is locked too.
Lock LockedAfter(const Lock& lock, std::string_view text);

// A lock of `length` seconds from `now` over `names`; where one is on already, the longer of the
// two ends, with the names of both, and the time off counted unless both count only time on.
// Nothing when it would end sooner than the lock already on (kLocked).
rir::Result<Lock> Lengthened(const std::optional<Lock>& current, std::int64_t length,
                             bool count_only_on, std::vector<std::string> names, const Clocks& now);

// After a record found damaged: the longest lock over the names the hosts file blocks now.
Lock RecoveredLock(std::vector<std::string> blocked, const Clocks& now);

// The refusal of a change that loosens the lock: when it ends, and what it would have lifted.
rir::Error Refusal(const Lock& lock, const std::vector<std::string>& lifted);

}  // namespace lock
