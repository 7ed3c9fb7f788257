// The find box above the list, and which rows the list shows and has selected.
#include "ui/main/main_form.h"

namespace ui {

void frmRirAvadera::mmuFind_Click() {
  view_.FocusFind();
}

void frmRirAvadera::txtFind_Change() {
  // The selection speaks of rows that may go: the commands act on what is shown and selected.
  list_.ClearSelection();
  shown_.Seek(list_, view_.FindText());
  view_.ShowRows(list_);
}

void frmRirAvadera::ShowList() {
  if (shown_.Narrowed()) {
    shown_.Refresh(list_);
  }
  view_.ShowRows(list_);
}

void frmRirAvadera::ShowPosition(std::size_t position) {
  list_.Select(position);
  ShowList();
  if (!shown_.RowOf(position)) {
    view_.SetFindText("");
    shown_.Seek(list_, "");
    view_.ShowRows(list_);
  }
  view_.EnsureRowVisible(position);
}

std::vector<std::size_t> frmRirAvadera::SelectedPositions() const {
  std::vector<std::size_t> rows = view_.SelectedRows();
  if (rows.size() <= 1) {
    const auto selected = list_.selected();
    return selected ? std::vector<std::size_t>{*selected} : std::vector<std::size_t>{};
  }
  const std::size_t shown = shown_.size(list_);
  std::erase_if(rows, [&](std::size_t row) { return row >= shown; });
  for (std::size_t& row : rows) {
    row = shown_.Position(row);
  }
  return rows;
}

}  // namespace ui
