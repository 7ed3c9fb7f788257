// The login window, frmLogin: its caption, client area and controls in the order of the Tab key.
// The labels lie on the banner that fills the client area, drawn transparent; they take no
// focus, so the caret starts in the password box.
#pragma once

#include <array>

#include "ui/common/layout.h"

namespace ui {

inline constexpr layout::Colour kWhite{255, 255, 255};
inline constexpr layout::Colour kGreen{0, 255, 0};
inline constexpr layout::Font kLoginLargeFont{"MS Sans Serif", 1200, true};

inline constexpr std::array<layout::Control, 6> kLoginControls{{
    {.name = "Label1",
     .kind = layout::Kind::kLabel,
     .caption = "Tamborelle",
     .rect = {96, 8, 241, 25},
     .text_colour = kWhite,
     .transparent = true},
    {.name = "Label2",
     .kind = layout::Kind::kLabel,
     .caption = "Web",
     .rect = {104, 16, 41, 41},
     .font = kLoginLargeFont,
     .text_colour = kGreen,
     .transparent = true},
    {.name = "Label3",
     .kind = layout::Kind::kLabel,
     .caption = "Durezur",
     .rect = {144, 16, 97, 41},
     .font = kLoginLargeFont,
     .text_colour = kWhite,
     .transparent = true},
    {.name = "txtPassword", .kind = layout::Kind::kPasswordBox, .rect = {168, 48, 233, 25}},
    {.name = "Label4",
     .kind = layout::Kind::kLabel,
     .caption = "Password:",
     .rect = {112, 56, 81, 25},
     .text_colour = kWhite,
     .transparent = true},
    // Neither the default nor the cancel button.
    {.name = "cmdLogin",
     .kind = layout::Kind::kPushButton,
     .caption = "Login",
     .rect = {328, 80, 73, 25}},
}};

inline constexpr layout::FormLayout kLoginLayout{.caption = "Login",
                                                 .client_width = 406,
                                                 .client_height = 111,
                                                 .font = layout::kDefaultFont,
                                                 .controls = kLoginControls};
static_assert(layout::IsWalkable(kLoginLayout));

}  // namespace ui
