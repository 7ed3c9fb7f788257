// The block list as the list control's model: rows and statuses are read from the list itself
// as the view paints them, so a million entries cost the view nothing up front. The model's rows
// are the rows shown (ui::ShownRows): every entry, or those the find box leaves.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

#include "blocklist/block_list.h"
#include "ui/main/row_statuses.h"
#include "ui/main/shown_rows.h"

namespace qtfront {

class BlockListModel final : public QAbstractTableModel {
 public:
  void AddColumn(const QString& header);

  // Presents `list`, which may have changed since it was last presented (entries appended at
  // the end, entries removed, statuses changed, other rows shown), and tells the views how many
  // rows it has now. `list` must outlive its presentation.
  void Present(const blocklist::BlockList& list);
  // Tells the views that rows `first` to `last` may read differently now. Views that show the
  // list tell only the rows on screen: telling a million costs a tree view a pause.
  void RowsChanged(int first, int last);
  // What the Status column says of a row; it outlives the model.
  void SetStatuses(const ui::RowStatuses& statuses) { statuses_ = &statuses; }
  // Which entries the rows show; it outlives the model. Without it, every entry in order.
  void SetShownRows(const ui::ShownRows& shown) { shown_ = &shown; }

  // The list position a row shows.
  std::size_t PositionOf(int row) const;
  // The row that shows the entry at `position`, if it is shown.
  std::optional<int> RowOf(std::size_t position) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // The rows to show now, capped at what a model counts.
  int RowsToShow(const blocklist::BlockList& list) const;
  // Whether the narrowed rows show other entries than the views were last told of; keeps
  // the ones shown now.
  bool NarrowedRowsMoved(int rows);

  const blocklist::BlockList* list_ = nullptr;
  const ui::RowStatuses* statuses_ = nullptr;
  const ui::ShownRows* shown_ = nullptr;
  int shown_rows_ = 0;  // what the views were last told
  bool narrowed_ = false;
  // While the find box narrows the list: the position each row showed when last told.
  std::vector<std::size_t> narrowed_positions_;
  QStringList headers_;
};

}  // namespace qtfront
