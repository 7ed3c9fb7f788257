// A box that shows a picture at its top left corner and holds other controls, with a flat
// one-pixel border; the labels it holds ask their parent's parent for their colours. It paints
// under its labels, so that a transparent label shows the picture.
#pragma once

#include <windows.h>

namespace win32 {

// The window class of a picture box, registered the first time it is asked for.
const char* PictureBoxClass();
// The picture a box shows; it must live as long as the box.
void SetBoxPicture(HWND box, HBITMAP picture);

// Colours for a label drawn over a picture: only its text, over what its parent painted.
HBRUSH TransparentLabelColours(HDC label_dc, COLORREF text_colour);

// Labels lie beneath the other controls and are cut by them, as labels drawn on the window's
// own surface would be: where a label's box overlaps a text box, the text box shows whole. Labels
// take no focus, so the order of the Tab key does not change.
void PutLabelBeneath(HWND label);

}  // namespace win32
