// Making the child controls of a window and reading and writing their text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "gdi.h"
#include "scale.h"
#include "ui/common/layout.h"

namespace win32 {

using ui::layout::kDefaultFont;

// A font of the layout tables at the screen's scale.
Font MakeFont(const ui::layout::Font& font, const Scale& scale);

// Registers a window class of this program the first time it is asked for.
void RegisterClassOnce(const char* class_name, WNDPROC procedure, int background_colour);

// A child control, visible, placed at `rect` (in the parent's client area) scaled for the screen.
HWND MakeControl(HWND parent, const char* window_class, const char* text, DWORD style, int id,
                 const ui::layout::Rect& rect, const Scale& scale, DWORD ex_style = 0);

std::string TextOf(HWND window);
void SetText(HWND window, std::string_view text);

// A picture from the program's resources at the screen's scale. Pixels of `face_key` take the
// system's button-face colour, so that a picture's corners blend into the window.
Bitmap LoadPicture(int id, const Scale& scale, std::optional<COLORREF> face_key = std::nullopt);
SIZE BitmapSize(HBITMAP bitmap);

// The program's icon at a given size in pixels.
Icon LoadProgramIcon(int size);

// Forwards the key-down events of an edit box to `on_key_down` with the key code and the
// shift state (Shift 1, Ctrl 2, Alt 4), and keeps Enter from the dialog keys so that it reaches
// the box. The key is passed on to the box as usual.
// `on_key_down` must live as long as the box.
using KeyDownHandler = std::function<void(std::int16_t key_code, std::int16_t shift)>;
void ForwardKeyDown(HWND edit, const KeyDownHandler& on_key_down);

// A multi-line box would keep the Tab key for itself; this one lets it move the focus on, as
// every other control does.
void LetTabLeave(HWND edit);

// A one-line box takes a paste of several lines whole, each line end made a blank, where the
// box itself would keep the first line alone.
void PasteLinesAsBlanks(HWND edit);
// `text` with each line end (CR LF, CR or LF) made one blank.
std::wstring LineEndsAsBlanks(std::wstring_view text);

}  // namespace win32
