// A window's layout table with the ids of its controls. A control's id is the window's first id
// plus its row in the table, so the ids follow the table, and a window routes the commands of a
// control it names: `case kMainTable.Id("Command1"):`.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "ui/common/layout.h"
#include "ui/lock/lock_layout.h"
#include "ui/login/login_layout.h"
#include "ui/main/main_layout.h"
#include "ui/password/password_layout.h"
#include "ui/schedule/schedule_layout.h"

namespace win32 {

struct ControlTable {
  const ui::layout::FormLayout& layout;
  int first_id;

  constexpr int Id(std::string_view name) const { return IdOfRow(layout.RowOf(name)); }
  constexpr int IdOfRow(std::size_t row) const { return first_id + static_cast<int>(row); }
  constexpr std::optional<std::size_t> RowOfId(int id) const {
    if (id < first_id || id >= IdOfRow(layout.controls.size())) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(id - first_id);
  }
};

inline constexpr ControlTable kMainTable{ui::kMainLayout, 300};
inline constexpr ControlTable kLoginTable{ui::kLoginLayout, 400};
inline constexpr ControlTable kPasswordTable{ui::kPasswordLayout, 500};
// Past the list chooser's and the progress window's own ids (resource.h).
inline constexpr ControlTable kLockTable{ui::kLockLayout, 700};
inline constexpr ControlTable kScheduleTable{ui::kScheduleLayout, 720};

// None may be IDOK (1) or IDCANCEL (2), which the dialog keys send to the window; each window's
// ids lie apart from the others', so that an id names one control of the program.
static_assert(kMainTable.first_id > 2);
static_assert(kMainTable.IdOfRow(kMainTable.layout.controls.size()) <= kLoginTable.first_id);
static_assert(kLoginTable.IdOfRow(kLoginTable.layout.controls.size()) <= kPasswordTable.first_id);
static_assert(kPasswordTable.IdOfRow(kPasswordTable.layout.controls.size()) <= kLockTable.first_id);
static_assert(kLockTable.IdOfRow(kLockTable.layout.controls.size()) <= kScheduleTable.first_id);

}  // namespace win32
