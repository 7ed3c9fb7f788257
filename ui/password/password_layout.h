// The password change window, frmPassword: its caption, client area and controls in the order
// of the Tab key, in the system's colours. The labels take no focus, so the caret starts in the
// first password box.
#pragma once

#include <array>

#include "ui/common/layout.h"

namespace ui {

inline constexpr std::array<layout::Control, 5> kPasswordControls{{
    {.name = "Label1",
     .kind = layout::Kind::kLabel,
     .caption = "Password:",
     .rect = {8, 24, 89, 17}},
    {.name = "Label2",
     .kind = layout::Kind::kLabel,
     .caption = "Confirm:",
     .rect = {8, 56, 89, 17}},
    {.name = "txtPassword", .kind = layout::Kind::kPasswordBox, .rect = {72, 16, 257, 25}},
    {.name = "txtConfirm", .kind = layout::Kind::kPasswordBox, .rect = {72, 48, 257, 25}},
    // Neither the default nor the cancel button: Enter and Esc mean nothing here.
    {.name = "cmdSavePassword",
     .kind = layout::Kind::kPushButton,
     .caption = "OK",
     .rect = {232, 80, 97, 25}},
}};

inline constexpr layout::FormLayout kPasswordLayout{.caption = "Change Password",
                                                    .client_width = 337,
                                                    .client_height = 113,
                                                    .font = layout::kDefaultFont,
                                                    .controls = kPasswordControls};
static_assert(layout::IsWalkable(kPasswordLayout));

}  // namespace ui
