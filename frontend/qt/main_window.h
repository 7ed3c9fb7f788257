// The main window, frmRirAvadera, in Qt: its controls, menus, list and status bar, and the
// routing of their events to the window logic.
#pragma once

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

#include "block_list_model.h"
#include "key_down.h"
#include "picture_button.h"
#include "qt_form.h"
#include "ui/common/forms.h"
#include "ui/main/main_view.h"

namespace qtfront {

class MainWindow final : public QtForm<ui::MainView> {
 public:
  explicit MainWindow(ui::Forms& forms);

  void AddColumn(std::string_view header, std::optional<int> width_twips) override;
  std::string WebsiteText() const override;
  void SetWebsiteText(std::string_view text) override;
  void SetAddEntryEnabled(bool enabled) override;
  void ShowRows(const blocklist::BlockList& list) override;
  void EnsureRowVisible(std::size_t position) override;
  void FocusList() override;
  void SetRestartNoticeVisible(bool visible) override;
  void SetExportText(std::string_view text) override;
  // The address of the window's QIcon, which the tray shows.
  std::uintptr_t Icon() const override;

 private:
  void PlaceControls();
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
  QPushButton command1_;
  QStatusBar status_bar_;
  QLabel status_panel_;
  BlockListModel model_;
  QTreeView list_;
  QPlainTextEdit export_;
  QPushButton command3_;
  QPushButton add_entry_;
  QLineEdit website_;
  QLabel enter_website_;
  QFrame picture1_;
  QLabel banner_;
  QLabel message_;
  PictureButton allow_;
  PictureButton block_;
  PictureButton apply_;
  KeyDownFilter website_keys_;
};

}  // namespace qtfront
