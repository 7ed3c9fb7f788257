#include "lock_window.h"

#include "controls.h"
#include "ui/lock/lock_form.h"

namespace win32 {

namespace {

constexpr const char* kLockWindowClass = "TamborelleRirAvadera.Lock";

// Lock is drawn as the button Enter presses.
DWORD OwnStyle(const ui::layout::Control& control) {
  return control.name == "cmdLock" ? BS_DEFPUSHBUTTON : 0;
}

}  // namespace

LockWindow::LockWindow(ui::Forms& forms, HWND owner, const Scale& scale)
    : Form<ui::LockView>(scale), forms_(forms), owner_(owner) {
  if (CreateFromTable({.class_name = kLockWindowClass, .table = kLockTable, .owner = owner},
                      OwnStyle)) {
    length_ = Control("txtLength");
    ends_ = Control("lblEnds");
    count_only_on_ = Control("chkCountOnlyOn");
    lock_ = Control("cmdLock");
    cancel_ = Control("cmdCancel");
  }
}

LockWindow::~LockWindow() {
  EndModal();
  Destroy();
}

std::string LockWindow::LengthText() const {
  return TextOf(length_);
}

bool LockWindow::CountOnlyOn() const {
  return SendMessageA(count_only_on_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void LockWindow::SetEndsText(std::string_view text) {
  SetText(ends_, text);
}

void LockWindow::ShowModal() {
  if (!hwnd()) {
    return;
  }
  if (owner_) {
    EnableWindow(owner_, FALSE);
  }
  modal_ = true;
  Show();
  MSG message{};
  while (hwnd()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the outer loop must see that too.
      PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      break;
    }
    DispatchWithDialogKeys(message);
    ShowDefaultButton();
  }
  EndModal();
}

void LockWindow::ShowDefaultButton() {
  // The dialog keys take the default look off every button as the Tab key leaves one, and only a
  // dialog's own procedure gives it back: the button Enter presses looks so, as in a dialog.
  if (!hwnd()) {
    return;
  }
  const HWND focus = GetFocus();
  const HWND pressed_by_enter = focus == cancel_ ? cancel_ : lock_;
  for (const HWND button : {lock_, cancel_}) {
    const bool looks_default =
        (GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (looks_default != (button == pressed_by_enter)) {
      SendMessageA(button, BM_SETSTYLE,
                   button == pressed_by_enter ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
  }
}

void LockWindow::EndModal() {
  // The owner takes input again before this window goes, so that it gets the activation back.
  if (modal_ && owner_ && IsWindow(owner_)) {
    EnableWindow(owner_, TRUE);
  }
  modal_ = false;
}

void LockWindow::Unload() {
  EndModal();
  Destroy();
}

template <class Handler>
void LockWindow::Raise(Handler handler) {
  if (!quiet() && forms_.IsLoaded(ui::FormId::kLock)) {
    handler(forms_.Lock());
  }
}

void LockWindow::OnCommand(int id, int code) {
  using Logic = ui::frmLock;
  switch (id) {
    case kLockTable.Id("txtLength"):
      if (code == EN_CHANGE) {
        Raise([](Logic& form) { form.txtLength_Change(); });
      }
      return;
    case kLockTable.Id("cmdLock"):
      if (code == BN_CLICKED) {
        Raise([](Logic& form) { form.cmdLock_Click(); });
      }
      return;
    case kLockTable.Id("cmdCancel"):
      if (code == BN_CLICKED) {
        Raise([](Logic& form) { form.cmdCancel_Click(); });
      }
      return;
    case IDCANCEL:  // Esc, from the dialog keys: as the close box
      if (!quiet()) {
        forms_.Unload(ui::FormId::kLock, ui::UnloadMode::kControlMenu);
      }
      return;
    default:
      return;
  }
}

LRESULT LockWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case DM_GETDEFID:
      // Enter, from the dialog keys, presses Lock unless the focus is on another button.
      return MAKELRESULT(kLockTable.Id("cmdLock"), DC_HASDEFID);
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      if (!quiet()) {
        forms_.Unload(ui::FormId::kLock, ui::UnloadMode::kControlMenu);
      }
      return 0;
    default:
      break;
  }
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
