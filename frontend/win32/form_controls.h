// The controls of one window, made by walking its layout table: each row becomes the Win32
// control of its kind, in the table's order (which is the order of the Tab key), inside its
// container, at its rectangle scaled for the screen, with its font, caption and state. The
// controls' fonts and brushes live here as long as the controls do.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "control_table.h"
#include "gdi.h"
#include "scale.h"

namespace win32 {

class FormControls {
 public:
  // What a window adds to a kind's styles for a control of its own, at creation, where a style
  // cannot be added later (the list's owner data).
  using OwnStyle = std::function<DWORD(const ui::layout::Control&)>;

  FormControls(HWND window, const ControlTable& table, const Scale& scale,
               const OwnStyle& own_style = {});
  FormControls(const FormControls&) = delete;
  FormControls& operator=(const FormControls&) = delete;

  // A control by its name in the table.
  HWND operator[](std::string_view name) const { return handles_[table_.layout.RowOf(name)]; }
  // The first control the Tab key stops at: it holds the focus when the window first shows.
  HWND FirstFocus() const;
  // Sets up `dc` for a control with colours of its own in the table and gives the brush of its
  // background; nothing for a control in the system's colours.
  std::optional<HBRUSH> Colours(HWND control, HDC dc) const;

 private:
  const ui::layout::Control* RowOf(HWND control) const;
  HFONT FontFor(const ui::layout::Font& font, const Scale& scale);

  ControlTable table_;
  std::vector<HWND> handles_;  // one per row of the table
  std::vector<std::pair<ui::layout::Font, Font>> fonts_;
  std::vector<Brush> back_brushes_;  // one per row; null where the table sets no background
};

}  // namespace win32
