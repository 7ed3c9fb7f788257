// The main window, frmRirAvadera: its caption, client area and controls in the order of the Tab
// key. Command1, txtExport and Command3 lie right of the client area, which cannot be widened:
// they are never on screen, yet shown, enabled and in the tab order, Command1 first of all.
#pragma once

#include <array>

#include "ui/common/layout.h"

namespace ui {

inline constexpr layout::Colour kRed{255, 0, 0};
inline constexpr layout::Colour kBlue{0, 0, 255};

inline constexpr std::array<layout::Control, 17> kMainControls{{
    {.name = "Command1",
     .kind = layout::Kind::kPushButton,
     .caption = "Command1",
     .rect = {664, 408, 201, 49}},
    // Docked to the bottom edge, full width; its one panel is described below.
    {.name = "StatusBar1", .kind = layout::Kind::kStatusBar, .rect = {0, 563, 575, 25}},
    // Above the list: typing narrows it to the rows whose website holds the text.
    {.name = "lblFind",
     .kind = layout::Kind::kLabel,
     .caption = "Find:",
     .rect = {8, 203, 41, 20},
     .font = {"Verdana", 825, true}},
    {.name = "txtFind", .kind = layout::Kind::kTextBox, .rect = {52, 199, 517, 24}},
    // The columns are not in the table: the window's load adds them.
    {.name = "lvwWebsites",
     .kind = layout::Kind::kListView,
     .rect = {8, 228, 561, 277},
     .font = {"Verdana", 975, true}},
    {.name = "txtExport", .kind = layout::Kind::kMultiLineTextBox, .rect = {600, 88, 297, 273}},
    {.name = "Command3",
     .kind = layout::Kind::kPushButton,
     .caption = "Preview Saved Data",
     .rect = {712, 368, 129, 33}},
    {.name = "cmdAddEntry",
     .kind = layout::Kind::kPushButton,
     .caption = "Add Entry",
     .rect = {464, 152, 105, 33},
     .enabled = false},
    // No length limit, as no text box of the program has one.
    {.name = "txtWebsite",
     .kind = layout::Kind::kTextBox,
     .rect = {8, 152, 449, 33},
     .font = {"Verdana", 1125, true},
     .text_colour = kBlue},
    // Opaque; its box reaches one pixel into the entry box below it, which stays whole.
    {.name = "lblEnterWebsite",
     .kind = layout::Kind::kLabel,
     .caption = "Enter Website:",
     .rect = {8, 128, 289, 25},
     .font = {"Verdana", 1200, true}},
    // The banner, one pixel wider than the client area, with a one-pixel border.
    {.name = "Picture1", .kind = layout::Kind::kPictureBox, .rect = {0, 0, 576, 121}},
    {.name = "lblMessage",
     .kind = layout::Kind::kLabel,
     .caption = "Important: Restart your Web Browser!",
     .rect = {144, 88, 257, 17},
     .font = {"Verdana", 825, true},
     .text_colour = kRed,
     .transparent = true,
     .container = "Picture1",
     .shown = false},
    // Beneath the notice, when a browser gets past the hosts file; it ends short of the logo.
    {.name = "lblBrowserWarning",
     .kind = layout::Kind::kLabel,
     .rect = {144, 104, 336, 15},
     .font = {"Verdana", 675, true},
     .text_colour = kRed,
     .transparent = true,
     .container = "Picture1",
     .shown = false},
    {.name = "imgAllow", .kind = layout::Kind::kPictureButton, .rect = {8, 512, 124, 33}},
    {.name = "imgBlock", .kind = layout::Kind::kPictureButton, .rect = {136, 512, 124, 33}},
    {.name = "imgApply", .kind = layout::Kind::kPictureButton, .rect = {443, 511, 124, 33}},
    // Between the buttons, while the blocks are locked: until when, and the time left.
    {.name = "lblLocked",
     .kind = layout::Kind::kLabel,
     .rect = {264, 514, 176, 30},
     .font = {"Verdana", 675},
     .text_colour = kRed,
     .shown = false},
}};

inline constexpr layout::FormLayout kMainLayout{.caption = "Tamborelle Website Durezur",
                                                .client_width = 575,
                                                .client_height = 588,
                                                .font = layout::kDefaultFont,
                                                .controls = kMainControls};
static_assert(layout::IsWalkable(kMainLayout));

// The status bar's one panel: 2000 twips wide, holding the maker's web address, which the
// program never changes.
inline constexpr int kStatusPanelWidth = 133;
inline constexpr std::string_view kStatusPanelText = "www.tamborelle.com";

}  // namespace ui
