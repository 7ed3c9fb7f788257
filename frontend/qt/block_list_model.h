// The block list as the list control's model: rows and statuses are read from the list itself
// as the view paints them, so a million entries cost the view nothing up front.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "blocklist/block_list.h"
#include "ui/main/row_statuses.h"

namespace qtfront {

class BlockListModel final : public QAbstractTableModel {
 public:
  void AddColumn(const QString& header);

  // Presents `list`, which may have changed since it was last presented (entries appended at
  // the end, entries removed, statuses changed), and tells the views how many rows it has now.
  // `list` must outlive its presentation.
  void Present(const blocklist::BlockList& list);
  // Tells the views that rows `first` to `last` may read differently now. Views that show the
  // list tell only the rows on screen: telling a million costs a tree view a pause.
  void RowsChanged(int first, int last);
  // What the Status column says of a row; it outlives the model.
  void SetStatuses(const ui::RowStatuses& statuses) { statuses_ = &statuses; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const blocklist::BlockList* list_ = nullptr;
  const ui::RowStatuses* statuses_ = nullptr;
  int shown_rows_ = 0;  // what the views were last told
  QStringList headers_;
};

}  // namespace qtfront
