// What the Status column says of an entry; the list itself knows only Blocked and Allowed.
#pragma once

#include <string>

#include "blocklist/block_list.h"

namespace ui {

class RowStatuses {
 public:
  virtual ~RowStatuses() = default;
  virtual std::string Text(const blocklist::Entry& entry) const = 0;
};

}  // namespace ui
