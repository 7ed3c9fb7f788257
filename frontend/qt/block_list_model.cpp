#include "block_list_model.h"

#include <algorithm>
#include <limits>

#include "blocklist/host_name.h"
#include "text.h"

namespace qtfront {

namespace {

int RowsOf(const blocklist::BlockList& list) {
  // A model counts its rows in an int; rows beyond that are not shown.
  constexpr std::size_t kMostRows = std::numeric_limits<int>::max();
  return static_cast<int>(list.size() < kMostRows ? list.size() : kMostRows);
}

}  // namespace

void BlockListModel::AddColumn(const QString& header) {
  const int column = static_cast<int>(headers_.size());
  beginInsertColumns({}, column, column);
  headers_.append(header);
  endInsertColumns();
}

void BlockListModel::Present(const blocklist::BlockList& list) {
  const int rows = RowsOf(list);
  if (&list != list_ || rows == 0) {
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
  const blocklist::Entry entry = (*list_)[static_cast<std::size_t>(index.row())];
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
