// A modal dialog that lists rows of texts under column headers and lets the user confirm one:
// the chooser of "Restore Hosts File...".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <cstddef>
#include <optional>

#include "ui/common/platform_services.h"

namespace qtfront {

class ListChooser final : public QDialog {
 public:
  // Made over `owner` (may be null), with the first row picked.
  ListChooser(QWidget* owner, const ui::ListChoice& choice);

  // Shows the dialog modally and waits; the row confirmed, or nothing.
  std::optional<std::size_t> Run();

 private:
  std::optional<std::size_t> PickedRow() const;

  QLabel prompt_;
  QTreeWidget list_;
  QPushButton choose_;
  QPushButton cancel_;
};

}  // namespace qtfront
