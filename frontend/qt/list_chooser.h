// A modal dialog that lists rows of texts under column headers and lets the user confirm one or
// several: the chooser of "Restore Hosts File..." and the check's result.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <cstddef>
#include <vector>

#include "ui/common/platform_services.h"

namespace qtfront {

class ListChooser final : public QDialog {
 public:
  // Made over `owner` (may be null), with the rows picked that the choice picks at first.
  ListChooser(QWidget* owner, const ui::ListChoice& choice);

  // Shows the dialog modally and waits for the user's answer.
  ui::ListAnswer Run();

 private:
  static constexpr int kOther = 2;  // what the dialog ends with for the other button

  std::vector<std::size_t> PickedRows() const;

  QLabel prompt_;
  QTreeWidget list_;
  QPushButton other_;
  QPushButton choose_;
  QPushButton cancel_;
};

}  // namespace qtfront
