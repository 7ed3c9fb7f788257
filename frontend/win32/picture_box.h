// A box that shows a picture at its top left corner and holds other controls, with a flat
// one-pixel border; the labels it holds ask their parent's parent for their colours. It paints
// under its labels, so that a transparent label shows the picture.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "controls.h"

namespace win32 {

HWND MakePictureBox(HWND parent, int id, HBITMAP picture, const Layout& layout, const Scale& scale);

// Colours for a label drawn over a picture: only its text, over what its parent painted.
HBRUSH TransparentLabelColours(HDC label_dc, COLORREF text_colour);

// Labels lie beneath the other controls and are cut by them, as labels drawn on the window's
// own surface would be: where a label's box overlaps a text box, the text box shows whole. Labels
// take no focus, so the order of the Tab key does not change.
void PutLabelsBeneath(std::initializer_list<HWND> labels);

}  // namespace win32
