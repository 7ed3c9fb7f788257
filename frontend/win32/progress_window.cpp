#include "progress_window.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "controls.h"
#include "form_window.h"
#include "gdi.h"
#include "resource.h"

namespace win32 {

namespace {

constexpr ULONGLONG kShowAfterMs = 400;
constexpr DWORD kLookEveryMs = 50;
constexpr int kProgressSteps = 1000;  // the bar's range; a task of any size is shown to scale

class ProgressWindow final : public FormWindow {
 public:
  ProgressWindow(HWND owner, const ui::ProgressWatch& watch, const Scale& scale)
      : FormWindow(scale), owner_(owner), watch_(watch), font_(MakeFont(kDefaultFont, scale)) {
    Create({.class_name = kProgressWindowClass,
            .caption = watch.title,
            .client_width = 420,
            // Without a Cancel, without the room for it.
            .client_height = watch.cancel ? 112 : 80,
            .owner = owner});
    if (!hwnd()) {
      return;
    }
    const HWND window = hwnd();
    text_ = MakeControl(window, "STATIC", "", SS_LEFT, IDC_PROGRESS_TEXT, {8, 8, 404, 40},
                        this->scale());
    bar_ = MakeControl(window, PROGRESS_CLASSA, "", 0, IDC_PROGRESS_BAR, {8, 52, 404, 18},
                       this->scale());
    // A task that cannot be stopped has no Cancel; closing the window does nothing then.
    if (watch.cancel) {
      cancel_ = MakeControl(window, "BUTTON", "Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL,
                            {330, 80, 82, 25}, this->scale());
    }
    for (const HWND control : {text_, cancel_}) {
      if (control != nullptr) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      }
    }
    SendMessageA(bar_, PBM_SETRANGE32, 0, kProgressSteps);
    if (owner_) {
      EnableWindow(owner_, FALSE);
    }
    ShowNow();
  }
  ~ProgressWindow() override {
    // The owner takes input again before this window goes, so that it gets the activation back.
    if (owner_ && IsWindow(owner_)) {
      EnableWindow(owner_, TRUE);
    }
    Destroy();
  }

  void Show(const ui::ProgressState& state) {
    if (!hwnd()) {
      return;
    }
    if (state.text != shown_text_) {
      shown_text_ = state.text;
      SetText(text_, state.text);
    }
    if (state.total == 0) {
      // Busy, for as long as it takes: a bar that runs without end.
      if (!marquee_) {
        marquee_ = true;
        SetWindowLongPtrA(bar_, GWL_STYLE, GetWindowLongPtrA(bar_, GWL_STYLE) | PBS_MARQUEE);
        SendMessageA(bar_, PBM_SETMARQUEE, TRUE, 0);
      }
      return;
    }
    const double part =
        static_cast<double>(std::min(state.done, state.total)) / static_cast<double>(state.total);
    SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(part * kProgressSteps), 0);
  }

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if ((message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) || message == WM_CLOSE) {
      Cancel();
      return 0;
    }
    return FormWindow::OnMessage(message, wparam, lparam);
  }
  HWND FirstFocus() const override { return cancel_ != nullptr ? cancel_ : text_; }

  void Cancel() {
    if (cancelled_ || !watch_.cancel) {
      return;
    }
    cancelled_ = true;
    EnableWindow(cancel_, FALSE);
    watch_.cancel();
  }

  HWND owner_;
  const ui::ProgressWatch& watch_;
  Font font_;
  HWND text_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  std::string shown_text_;
  bool cancelled_ = false;
  bool marquee_ = false;
};

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

void WatchProgress(HWND owner, const ui::ProgressWatch& watch, const Scale& scale) {
  const ULONGLONG started = GetTickCount64();
  std::optional<ProgressWindow> window;
  bool quitting = false;
  int quit_code = 0;
  for (ui::ProgressState state = watch.poll(); !state.finished; state = watch.poll()) {
    if (!window && watch.show_window && GetTickCount64() - started >= kShowAfterMs) {
      window.emplace(owner, watch, scale);
    }
    if (window) {
      window->Show(state);
    }
    if (!window && watch.wait) {
      // Nothing to answer yet but the paints, which can wait a few milliseconds.
      watch.wait(std::chrono::milliseconds(kLookEveryMs / 5));
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, kLookEveryMs, QS_ALLINPUT);
    }
    // What arrives while the messages are handled waits for the next turn, so that a stream of
    // posted messages cannot keep the task from being looked at.
    const ULONGLONG turn = GetTickCount64();
    MSG message{};
    while (GetTickCount64() - turn < kLookEveryMs &&
           PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The program is ending: the task stops, and the outer loop must see the quit too.
        quitting = true;
        quit_code = static_cast<int>(message.wParam);
        watch.cancel();
        continue;
      }
      // Until the window is up, clicks and keys are dropped, as a busy program's would be; after,
      // the owner is disabled and the window answers for itself.
      if (!window && IsInput(message.message)) {
        continue;
      }
      DispatchWithDialogKeys(message);
    }
  }
  window.reset();
  if (quitting) {
    PostQuitMessage(quit_code);
  }
}

}  // namespace win32
