#include "block_list_model.h"

#include <algorithm>
#include <limits>

#include "blocklist/host_name.h"
#include "text.h"

namespace qtfront {

void BlockListModel::AddColumn(const QString& header) {
  const int column = static_cast<int>(headers_.size());
  beginInsertColumns({}, column, column);
  headers_.append(header);
  endInsertColumns();
}

int BlockListModel::RowsToShow(const blocklist::BlockList& list) const {
  // A model counts its rows in an int; rows beyond that are not shown.
  constexpr std::size_t kMostRows = std::numeric_limits<int>::max();
  const std::size_t rows = shown_ != nullptr ? shown_->size(list) : list.size();
  return static_cast<int>(std::min(rows, kMostRows));
}

bool BlockListModel::NarrowedRowsMoved(int rows) {
  const auto count = static_cast<std::size_t>(rows);
  bool moved = count != narrowed_positions_.size();
  narrowed_positions_.resize(count);
  for (std::size_t row = 0; row < count; ++row) {
    const std::size_t position = shown_->Position(row);
    moved = moved || narrowed_positions_[row] != position;
    narrowed_positions_[row] = position;
  }
  return moved;
}

void BlockListModel::Present(const blocklist::BlockList& list) {
  const int rows = RowsToShow(list);
  const bool was_narrowed = narrowed_;
  narrowed_ = shown_ != nullptr && shown_->Narrowed();
  // Rows the find box left may come and go anywhere: the views read them all afresh, which
  // costs them nothing up front with rows of one height. The same rows only read again.
  const bool moved = narrowed_ && NarrowedRowsMoved(rows);
  if (!narrowed_) {
    narrowed_positions_ = {};
  }
  if (&list != list_ || rows == 0 || moved || narrowed_ != was_narrowed) {
    beginResetModel();
    list_ = &list;
    shown_rows_ = rows;
    endResetModel();
    return;
  }
  // The list only tells what it holds now. Growth is always at the end; a removal is shown as
  // one at the end, and the caller has the rows on screen read again, so what is shown is right
  // either way.
  if (rows > shown_rows_) {
    beginInsertRows({}, shown_rows_, rows - 1);
    shown_rows_ = rows;
    endInsertRows();
  } else if (rows < shown_rows_) {
    beginRemoveRows({}, rows, shown_rows_ - 1);
    shown_rows_ = rows;
    endRemoveRows();
  }
}

void BlockListModel::RowsChanged(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, shown_rows_ - 1);
  if (first <= last && !headers_.isEmpty()) {
    emit dataChanged(index(first, 0), index(last, static_cast<int>(headers_.size()) - 1),
                     {Qt::DisplayRole});
  }
}

std::size_t BlockListModel::PositionOf(int row) const {
  const auto shown = static_cast<std::size_t>(row);
  return shown_ != nullptr ? shown_->Position(shown) : shown;
}

std::optional<int> BlockListModel::RowOf(std::size_t position) const {
  const std::optional<std::size_t> row =
      shown_ != nullptr ? shown_->RowOf(position) : std::optional(position);
  if (!row || *row >= static_cast<std::size_t>(shown_rows_)) {
    return std::nullopt;
  }
  return static_cast<int>(*row);
}

int BlockListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_rows_;
}

int BlockListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant BlockListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !list_ || !index.isValid() || index.row() >= shown_rows_) {
    return {};
  }
  const std::size_t position = PositionOf(index.row());
  if (position >= list_->size()) {
    return {};
  }
  const blocklist::Entry entry = (*list_)[position];
  switch (index.column()) {
    case 0:
      return ToQt(blocklist::ShownName(entry.website));
    case 1:
      return ToQt(statuses_ != nullptr ? statuses_->Text(entry)
                                       : std::string(blocklist::StatusText(entry.status)));
    default:
      return {};
  }
}

QVariant BlockListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= headers_.size()) {
    return {};
  }
  return headers_[section];
}

}  // namespace qtfront
