// A window's controls as data: what each one is, where it lies and how it looks, one row per
// control in the order of the Tab key. Each window's table is written once (ui/<window>/
// <window>_layout.h); both front ends make their controls by walking it, and their tests check
// every row against what the toolkit shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

namespace ui::layout {

// What a control is; each front end turns a kind into its toolkit's own control.
enum class Kind {
  kPushButton,
  kTextBox,           // single line
  kPasswordBox,       // single line, each character shown as "*", no input method
  kMultiLineTextBox,  // no scroll bars
  kLabel,
  kPictureButton,  // a picture that is clicked like a button, and takes no focus
  kPictureBox,     // shows a picture at its top left corner and holds other controls
  kListView,       // report view
  kStatusBar,
  kCheckBox,  // a box that is ticked or not, its caption at its right
};

// Whether the Tab key stops at a control of this kind while it is shown and enabled.
constexpr bool TakesFocus(Kind kind) {
  switch (kind) {
    case Kind::kLabel:
    case Kind::kPictureButton:
    case Kind::kStatusBar:
      return false;
    default:
      return true;
  }
}

// Pixels at 96 DPI, from the top left corner of the container's client area.
struct Rect {
  int left;
  int top;
  int width;
  int height;

  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
  constexpr bool operator==(const Rect&) const = default;
};

struct Font {
  std::string_view face;
  int centipoints;  // 8.25 pt is 825: every size of the tables is exact in hundredths
  bool bold = false;

  constexpr double points() const { return centipoints / 100.0; }
  constexpr bool operator==(const Font&) const = default;
};

// The font of every control that names none.
inline constexpr Font kDefaultFont{"MS Sans Serif", 825};

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;

  constexpr bool operator==(const Colour&) const = default;
};

struct Control {
  std::string_view name;  // as the window's logic and the tests name it
  Kind kind;
  std::string_view caption = {};  // the text it shows; empty for boxes, pictures and lists
  Rect rect;
  Font font = kDefaultFont;
  std::optional<Colour> text_colour = std::nullopt;  // the system's colour where none is set
  std::optional<Colour> back_colour = std::nullopt;
  bool transparent = false;         // only the text is drawn, over what lies beneath
  std::string_view container = {};  // empty: the window's client area; else an earlier row's name
  bool shown = true;                // after the window has loaded
  bool enabled = true;
};

struct FormLayout {
  std::string_view caption;
  int client_width;  // below the menu bar, if any
  int client_height;
  Font font;  // the window's own, which every row without a font of its own shows too
  std::span<const Control> controls;

  // The row of a control by its name. Evaluated at compile time, an unknown name does not
  // compile; at run time it throws.
  constexpr std::size_t RowOf(std::string_view name) const {
    for (std::size_t row = 0; row < controls.size(); ++row) {
      if (controls[row].name == name) {
        return row;
      }
    }
    throw std::invalid_argument("no control of that name in the window's table");
  }
  constexpr const Control& operator[](std::string_view name) const { return controls[RowOf(name)]; }
};

// What every table must hold to be walked in one pass: unique names, and a container that is a
// row made before the rows it holds. Each table is checked by a static_assert beside it.
constexpr bool IsWalkable(const FormLayout& form) {
  for (std::size_t row = 0; row < form.controls.size(); ++row) {
    const Control& control = form.controls[row];
    if (control.name.empty()) {
      return false;
    }
    bool container_before = control.container.empty();
    for (std::size_t other = 0; other < row; ++other) {
      if (form.controls[other].name == control.name) {
        return false;
      }
      if (form.controls[other].name == control.container &&
          form.controls[other].kind == Kind::kPictureBox) {
        container_before = true;
      }
    }
    if (!container_before) {
      return false;
    }
  }
  return true;
}

}  // namespace ui::layout
