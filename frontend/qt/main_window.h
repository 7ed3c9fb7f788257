// The main window, frmRirAvadera, in Qt: its controls, menus, list and status bar, and the
// routing of their events to the window logic.
#pragma once

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QValidator>
#include <cstddef>
#include <vector>

#include "block_list_model.h"
#include "form.h"
#include "key_down.h"
#include "picture_button.h"
#include "ui/common/forms.h"
#include "ui/main/main_view.h"

namespace qtfront {

// Makes each line end in a text box's text a blank: a paste of names on several lines goes into
// the one-line entry box whole, the names parted as typed ones are.
class LineEndsAsBlanks final : public QValidator {
 public:
  State validate(QString& input, int& position) const override;
};

// Ctrl+A in a list selects all its rows as one range: the tree view's own selects them row by
// row, which a million rows make a pause.
class SelectAllAtOnce final : public QObject {
 public:
  explicit SelectAllAtOnce(QAbstractItemView& list) : list_(list) { list.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAbstractItemView& list_;
};

class MainWindow final : public Form<ui::MainView> {
 public:
  explicit MainWindow(ui::Forms& forms);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void AddColumn(std::string_view header, std::optional<int> width_twips) override;
  std::string WebsiteText() const override;
  void SetWebsiteText(std::string_view text) override;
  void SetAddEntryEnabled(bool enabled) override;
  void ShowRows(const blocklist::BlockList& list) override;
  void SetShownRows(const ui::ShownRows& shown) override;
  std::vector<std::size_t> SelectedRows() const override;
  std::string FindText() const override;
  void SetFindText(std::string_view text) override;
  void FocusFind() override;
  void SetRowStatuses(const ui::RowStatuses& statuses) override;
  void EnsureRowVisible(std::size_t position) override;
  void FocusList() override;
  void SetRestartNoticeVisible(bool visible) override;
  void SetBrowserWarning(std::string_view text) override;
  void SetStatusText(std::string_view text) override;
  void SetBrowsersLeftAlone(bool left_alone) override;
  void SetLockLine(std::string_view text) override;
  void SetExportText(std::string_view text) override;
  // The address of the window's QIcon, which the tray shows.
  std::uintptr_t Icon() const override;

 private:
  void SetUpControls();
  void MakeMenus();
  void RouteEvents();
  // Runs a handler of the window logic for an event of the window, unless the program itself
  // caused it.
  template <class Handler>
  void Raise(Handler handler);
  void SelectionMoved();

  ui::Forms& forms_;
  QIcon icon_;
  QMenuBar menu_bar_;
  QAction* browser_settings_ = nullptr;  // the menu's, checked while browsers are left alone
  QLabel status_panel_;
  QLabel status_text_;
  BlockListModel model_;
  KeyDownFilter website_keys_;
  LineEndsAsBlanks website_lines_;
  // The controls of the table that the window reaches, found by name.
  QPushButton& command1_;
  QTreeView& list_;
  QPlainTextEdit& export_;
  QPushButton& command3_;
  QPushButton& add_entry_;
  QLineEdit& website_;
  QLineEdit& find_;
  QLabel& message_;
  QLabel& browser_warning_;
  QLabel& lock_line_;
  PictureButton& allow_;
  PictureButton& block_;
  PictureButton& apply_;
  SelectAllAtOnce select_all_{list_};
};

}  // namespace qtfront
