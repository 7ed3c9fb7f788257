#include "list_chooser.h"

#include <QHeaderView>
#include <algorithm>
#include <memory>

#include "controls.h"
#include "form_window.h"
#include "text.h"

namespace qtfront {

namespace {

constexpr int kOtherColumnWidth = 96;

// A fixed dialog with a close box, like the program's other windows.
constexpr Qt::WindowFlags kDialogWindow = Qt::Dialog | Qt::CustomizeWindowHint |
                                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowCloseButtonHint;

}  // namespace

ListChooser::ListChooser(QWidget* owner, const ui::ListChoice& choice)
    : QDialog(owner, kDialogWindow),
      prompt_(ToQt(choice.prompt), this),
      list_(this),
      other_(ToQt(choice.other_button), this),
      choose_(ToQt(choice.choose_button), this),
      cancel_(ToQt(choice.cancel_button), this) {
  setObjectName(QStringLiteral("ListChooser"));
  setWindowTitle(ToQt(choice.title));
  setWindowIcon(ProgramIcon());
  setFont(DefaultFont());
  const int grow = choice.PromptGrowth();
  setFixedSize(choice.client_width, 300 + grow);
  const int list_width = choice.client_width - 16;

  PlaceLabel(Named(prompt_, "lblPrompt"), {8, 8, list_width, 28 + grow});
  Named(list_, "lvwChoices").setGeometry(8, 40 + grow, list_width, 216);
  list_.setRootIsDecorated(false);
  list_.setItemsExpandable(false);
  list_.setUniformRowHeights(true);
  list_.setSelectionMode(choice.multiple ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
  list_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_.header()->setSectionsMovable(false);
  list_.header()->setStretchLastSection(false);

  QStringList headers;
  for (const std::string_view column : choice.columns) {
    headers.push_back(ToQt(column));
  }
  list_.setHeaderLabels(headers);
  // Unless the choice says otherwise, the first column takes what the others leave, and
  // numbers line up on the right.
  const bool given = !choice.column_widths.empty();
  const bool numbers = !given;
  const int others = static_cast<int>(choice.columns.size()) - 1;
  for (int column = 0; column < list_.columnCount(); ++column) {
    const auto at = static_cast<std::size_t>(column);
    list_.header()->resizeSection(
        column, given && at < choice.column_widths.size() ? choice.column_widths[at]
                : column == 0 ? list_width - 24 - others * kOtherColumnWidth
                              : kOtherColumnWidth);
    if (numbers && column >= 2) {
      list_.headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  for (std::size_t row = 0; row < choice.rows.size(); ++row) {
    const std::vector<std::string>& texts = choice.rows[row];
    auto item = std::make_unique<QTreeWidgetItem>();
    if (!choice.Selectable(row)) {
      // Only to be read, a heading among them: clicks and the arrow keys pass it by.
      item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
    }
    for (std::size_t column = 0; column < texts.size(); ++column) {
      const int at = static_cast<int>(column);
      item->setText(at, ToQt(texts[column]));
      if (numbers && column >= 2) {
        item->setTextAlignment(at, Qt::AlignRight | Qt::AlignVCenter);
      }
    }
    list_.addTopLevelItem(item.release());  // the list owns its items
  }
  for (int row = 0; row < list_.topLevelItemCount(); ++row) {
    if (!choice.Selectable(static_cast<std::size_t>(row))) {
      continue;
    }
    QTreeWidgetItem* item = list_.topLevelItem(row);
    if (!choice.multiple) {
      list_.setCurrentItem(item);
      break;
    }
    if (list_.selectedItems().isEmpty()) {
      list_.setCurrentItem(item);
    }
    item->setSelected(true);
  }

  // Enter presses Restore, Esc cancels, as in any dialog. A list only to be read has its one
  // button, which closes it, where the other one would be.
  const int right = choice.client_width - 8;
  const int choose_left = right - 90 - choice.choose_width;
  Named(choose_, "cmdChoose").setGeometry(choose_left, 266 + grow, choice.choose_width, 25);
  Named(other_, "cmdOther")
      .setGeometry(choose_left - 8 - choice.other_width, 266 + grow, choice.other_width, 25);
  other_.setAutoDefault(false);
  other_.setVisible(!choice.other_button.empty());
  choose_.setDefault(!choice.choose_button.empty());
  choose_.setVisible(!choice.choose_button.empty());
  Named(cancel_, "cmdCancel").setGeometry(right - 82, 266 + grow, 82, 25);
  cancel_.setAutoDefault(false);
  cancel_.setDefault(choice.choose_button.empty());
  choose_.setEnabled(!PickedRows().empty());
  QObject::connect(&list_, &QTreeWidget::itemSelectionChanged, this,
                   [this] { choose_.setEnabled(!PickedRows().empty()); });
  QObject::connect(&choose_, &QPushButton::clicked, this, [this] {
    if (!PickedRows().empty()) {
      accept();
    }
  });
  QObject::connect(&other_, &QPushButton::clicked, this, [this] { done(kOther); });
  QObject::connect(&cancel_, &QPushButton::clicked, this, &QDialog::reject);
  list_.setFocus();
}

std::vector<std::size_t> ListChooser::PickedRows() const {
  std::vector<std::size_t> rows;
  for (QTreeWidgetItem* item : list_.selectedItems()) {
    rows.push_back(static_cast<std::size_t>(list_.indexOfTopLevelItem(item)));
  }
  std::sort(rows.begin(), rows.end());  // in the order the user clicked them otherwise
  return rows;
}

ui::ListAnswer ListChooser::Run() {
  setWindowModality(Qt::ApplicationModal);
  const int ended = exec();
  if (ended == kOther) {
    return {.button = ui::ListAnswer::Button::kOther, .rows = {}};
  }
  if (ended != QDialog::Accepted) {
    return {};
  }
  return {.button = ui::ListAnswer::Button::kChoose, .rows = PickedRows()};
}

}  // namespace qtfront
