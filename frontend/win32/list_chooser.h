// A modal window that lists rows of texts in a report view and lets the user confirm one: the
// chooser of "Restore Hosts File...".
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "form_window.h"
#include "gdi.h"
#include "ui/common/platform_services.h"

namespace win32 {

inline constexpr const char* kListChooserClass = "TamborelleRirAvadera.ListChooser";

class ListChooser final : public FormWindow {
 public:
  // Made hidden, centred, owned by `owner`, with the first row picked.
  ListChooser(HWND owner, const ui::ListChoice& choice, const Scale& scale);
  ~ListChooser() override;

  // Shows the window with its owner disabled and waits; the row confirmed, or nothing.
  std::optional<std::size_t> Run();

 private:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND FirstFocus() const override { return list_; }
  void MakeControls(const ui::ListChoice& choice);
  std::optional<std::size_t> PickedRow() const;
  void Finish(std::optional<std::size_t> row);

  HWND owner_;
  Font font_;
  HWND list_ = nullptr;
  HWND choose_ = nullptr;
  bool choosing_ = true;  // false: a list only to be read, whose one button closes it
  bool done_ = false;
  std::optional<std::size_t> chosen_;
};

}  // namespace win32
