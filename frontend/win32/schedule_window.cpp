#include "schedule_window.h"

#include <algorithm>

#include "control_table.h"
#include "controls.h"
#include "ui/schedule/schedule_form.h"

namespace win32 {

namespace {

constexpr const char* kScheduleWindowClass = "TamborelleRirAvadera.Schedule";

// OK is drawn as the button Enter presses.
DWORD OwnStyle(const ui::layout::Control& control) {
  return control.name == "cmdOK" ? BS_DEFPUSHBUTTON : 0;
}

bool IsDayBox(int id) {
  return std::ranges::any_of(ui::kDayBoxes,
                             [id](std::string_view box) { return kScheduleTable.Id(box) == id; });
}

}  // namespace

ScheduleWindow::ScheduleWindow(ui::Forms& forms, HWND owner, const Scale& scale)
    : Form<ui::ScheduleView>(scale), forms_(forms), owner_(owner) {
  if (CreateFromTable({.class_name = kScheduleWindowClass, .table = kScheduleTable, .owner = owner},
                      OwnStyle)) {
    for (std::size_t day = 0; day < days_.size(); ++day) {
      days_[day] = Control(ui::kDayBoxes[day]);
    }
    state_ = Control("lblState");
    ok_ = Control("cmdOK");
    cancel_ = Control("cmdCancel");
  }
}

ScheduleWindow::~ScheduleWindow() {
  EndModal();
  Destroy();
}

std::string ScheduleWindow::DayText(int day) const {
  return TextOf(days_.at(static_cast<std::size_t>(day)));
}

void ScheduleWindow::SetDayText(int day, std::string_view text) {
  Quietly quietly(*this);
  SetText(days_.at(static_cast<std::size_t>(day)), text);
}

void ScheduleWindow::SetStateText(std::string_view text) {
  SetText(state_, text);
}

void ScheduleWindow::ShowModal() {
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

void ScheduleWindow::ShowDefaultButton() {
  // The dialog keys take the default look off every button as the Tab key leaves one, and only a
  // dialog's own procedure gives it back: the button Enter presses looks so, as in a dialog.
  if (!hwnd()) {
    return;
  }
  const HWND pressed_by_enter = GetFocus() == cancel_ ? cancel_ : ok_;
  for (const HWND button : {ok_, cancel_}) {
    const bool looks_default =
        (GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (looks_default != (button == pressed_by_enter)) {
      SendMessageA(button, BM_SETSTYLE,
                   button == pressed_by_enter ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
  }
}

void ScheduleWindow::EndModal() {
  // The owner takes input again before this window goes, so that it gets the activation back.
  if (modal_ && owner_ && IsWindow(owner_)) {
    EnableWindow(owner_, TRUE);
  }
  modal_ = false;
}

void ScheduleWindow::Unload() {
  EndModal();
  Destroy();
}

template <class Handler>
void ScheduleWindow::Raise(Handler handler) {
  if (!quiet() && forms_.IsLoaded(ui::FormId::kSchedule)) {
    handler(forms_.Schedule());
  }
}

void ScheduleWindow::OnCommand(int id, int code) {
  using Logic = ui::frmSchedule;
  if (IsDayBox(id)) {
    if (code == EN_CHANGE) {
      Raise([](Logic& form) { form.txtDay_Change(); });
    }
    return;
  }
  switch (id) {
    case kScheduleTable.Id("cmdOK"):
      if (code == BN_CLICKED) {
        Raise([](Logic& form) { form.cmdOK_Click(); });
      }
      return;
    case kScheduleTable.Id("cmdCancel"):
      if (code == BN_CLICKED) {
        Raise([](Logic& form) { form.cmdCancel_Click(); });
      }
      return;
    case IDCANCEL:  // Esc, from the dialog keys: as the close box
      if (!quiet()) {
        forms_.Unload(ui::FormId::kSchedule, ui::UnloadMode::kControlMenu);
      }
      return;
    default:
      return;
  }
}

LRESULT ScheduleWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case DM_GETDEFID:
      // Enter, from the dialog keys, presses OK unless the focus is on another button.
      return MAKELRESULT(kScheduleTable.Id("cmdOK"), DC_HASDEFID);
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      if (!quiet()) {
        forms_.Unload(ui::FormId::kSchedule, ui::UnloadMode::kControlMenu);
      }
      return 0;
    default:
      break;
  }
  return FormWindow::OnMessage(message, wparam, lparam);
}

}  // namespace win32
