#include "list_chooser.h"

#include <QHeaderView>
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
      choose_(ToQt(choice.choose_button), this),
      cancel_(ToQt(choice.cancel_button), this) {
  setObjectName(QStringLiteral("ListChooser"));
  setWindowTitle(ToQt(choice.title));
  setWindowIcon(ProgramIcon());
  setFont(DefaultFont());
  setFixedSize(choice.client_width, 300);
  const int list_width = choice.client_width - 16;

  PlaceLabel(Named(prompt_, "lblPrompt"), {8, 8, list_width, 28});
  Named(list_, "lvwChoices").setGeometry(8, 40, list_width, 216);
  list_.setRootIsDecorated(false);
  list_.setItemsExpandable(false);
  list_.setUniformRowHeights(true);
  list_.setSelectionMode(QAbstractItemView::SingleSelection);
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
  for (const std::vector<std::string>& texts : choice.rows) {
    auto item = std::make_unique<QTreeWidgetItem>();
    for (std::size_t column = 0; column < texts.size(); ++column) {
      const int at = static_cast<int>(column);
      item->setText(at, ToQt(texts[column]));
      if (numbers && column >= 2) {
        item->setTextAlignment(at, Qt::AlignRight | Qt::AlignVCenter);
      }
    }
    list_.addTopLevelItem(item.release());  // the list owns its items
  }
  if (list_.topLevelItemCount() > 0) {
    list_.setCurrentItem(list_.topLevelItem(0));
  }

  // Enter presses Restore, Esc cancels, as in any dialog. A list only to be read has its one
  // button, which closes it, where the other one would be.
  const int right = choice.client_width - 8;
  Named(choose_, "cmdChoose")
      .setGeometry(right - 90 - choice.choose_width, 266, choice.choose_width, 25);
  choose_.setDefault(!choice.choose_button.empty());
  choose_.setVisible(!choice.choose_button.empty());
  Named(cancel_, "cmdCancel").setGeometry(right - 82, 266, 82, 25);
  cancel_.setAutoDefault(false);
  cancel_.setDefault(choice.choose_button.empty());
  choose_.setEnabled(PickedRow().has_value());
  QObject::connect(&list_, &QTreeWidget::itemSelectionChanged, this,
                   [this] { choose_.setEnabled(PickedRow().has_value()); });
  QObject::connect(&choose_, &QPushButton::clicked, this, [this] {
    if (PickedRow()) {
      accept();
    }
  });
  QObject::connect(&cancel_, &QPushButton::clicked, this, &QDialog::reject);
  list_.setFocus();
}

std::optional<std::size_t> ListChooser::PickedRow() const {
  const QList<QTreeWidgetItem*> picked = list_.selectedItems();
  if (picked.isEmpty()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(list_.indexOfTopLevelItem(picked.front()));
}

std::optional<std::size_t> ListChooser::Run() {
  setWindowModality(Qt::ApplicationModal);
  if (exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return PickedRow();
}

}  // namespace qtfront
