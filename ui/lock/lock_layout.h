// The lock window, frmLock: how long the blocks stay locked, the end that gives, and whether time
// the computer is off counts. Controls in the order of the Tab key.
#pragma once

#include <array>

#include "ui/common/layout.h"

namespace ui {

inline constexpr std::array<layout::Control, 7> kLockControls{{
    {.name = "lblLength",
     .kind = layout::Kind::kLabel,
     .caption = "Lock the blocked websites for, or until:",
     .rect = {8, 12, 361, 17}},
    {.name = "txtLength", .kind = layout::Kind::kTextBox, .rect = {8, 32, 361, 25}},
    {.name = "lblExamples",
     .kind = layout::Kind::kLabel,
     .caption = "Minutes, hours or days (90 minutes, 2 days), or an end (17:00, 2026-12-24 "
                "18:00). At most 30 days.",
     .rect = {8, 62, 361, 30}},
    // What the length gives: its end, or why it gives none.
    {.name = "lblEnds", .kind = layout::Kind::kLabel, .rect = {8, 98, 361, 30}},
    {.name = "chkCountOnlyOn",
     .kind = layout::Kind::kCheckBox,
     .caption = "Count only the time this computer is on",
     .rect = {8, 134, 361, 21}},
    {.name = "cmdLock",
     .kind = layout::Kind::kPushButton,
     .caption = "Lock...",
     .rect = {200, 166, 81, 25}},
    {.name = "cmdCancel",
     .kind = layout::Kind::kPushButton,
     .caption = "Cancel",
     .rect = {288, 166, 81, 25}},
}};

inline constexpr layout::FormLayout kLockLayout{.caption = "Lock Blocks",
                                                .client_width = 377,
                                                .client_height = 199,
                                                .font = layout::kDefaultFont,
                                                .controls = kLockControls};
static_assert(layout::IsWalkable(kLockLayout));

}  // namespace ui
