// A modal window that lists rows of texts in a report view and lets the user confirm one or
// several: the chooser of "Restore Hosts File..." and the check's result.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "form_window.h"
#include "gdi.h"
#include "ui/common/platform_services.h"

namespace win32 {

inline constexpr const char* kListChooserClass = "TamborelleRirAvadera.ListChooser";

class ListChooser final : public FormWindow {
 public:
  // Made hidden, centred, owned by `owner`, with the rows picked that the choice picks at first.
  ListChooser(HWND owner, const ui::ListChoice& choice, const Scale& scale);
  ~ListChooser() override;

  // Shows the window with its owner disabled and waits for the user's answer.
  ui::ListAnswer Run();

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND FirstFocus() const override { return list_; }
  void MakeControls(const ui::ListChoice& choice);
  std::vector<std::size_t> PickedRows() const;
  void Finish(ui::ListAnswer answer);

  HWND owner_;
  Font font_;
  HWND list_ = nullptr;
  HWND choose_ = nullptr;
  bool choosing_ = true;          // false: a list only to be read, whose one button closes it
  std::vector<bool> selectable_;  // as the choice has it
  bool done_ = false;
  ui::ListAnswer answer_;
};

}  // namespace win32
