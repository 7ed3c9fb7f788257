#include "main_window.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>

#include "controls.h"
#include "picture_box.h"
#include "text.h"
#include "ui/main/main_form.h"
#include "ui/main/main_layout.h"

namespace qtfront {

namespace {

constexpr int kTwipsPerPixel = 15;

}  // namespace

QValidator::State LineEndsAsBlanks::validate(QString& input, int& /*position*/) const {
  // One blank for each line end, CR LF as one: the text keeps its length but for those.
  input.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  for (QChar& c : input) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      c = QLatin1Char(' ');
    }
  }
  return Acceptable;
}

bool SelectAllAtOnce::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress ||
      !static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
    return QObject::eventFilter(watched, event);
  }
  const QAbstractItemModel* model = list_.model();
  const int rows = model != nullptr ? model->rowCount() : 0;
  const int columns = model != nullptr ? model->columnCount() : 0;
  if (rows > 0 && columns > 0) {
    list_.selectionModel()->select(
        QItemSelection(model->index(0, 0), model->index(rows - 1, columns - 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  return true;
}

MainWindow::MainWindow(ui::Forms& forms)
    : Form<ui::MainView>(ui::kMainLayout),
      forms_(forms),
      icon_(ProgramIcon()),
      website_keys_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmRirAvadera& form) { form.txtWebsite_KeyDown(key_code, shift); });
      }),
      command1_(Control<QPushButton>("Command1")),
      list_(Control<QTreeView>("lvwWebsites")),
      export_(Control<QPlainTextEdit>("txtExport")),
      command3_(Control<QPushButton>("Command3")),
      add_entry_(Control<QPushButton>("cmdAddEntry")),
      website_(Control<QLineEdit>("txtWebsite")),
      find_(Control<QLineEdit>("txtFind")),
      message_(Control<QLabel>("lblMessage")),
      browser_warning_(Control<QLabel>("lblBrowserWarning")),
      lock_line_(Control<QLabel>("lblLocked")),
      allow_(Control<PictureButton>("imgAllow")),
      block_(Control<PictureButton>("imgBlock")),
      apply_(Control<PictureButton>("imgApply")) {
  SetUpControls();
  MakeMenus();
  RouteEvents();
}

MainWindow::~MainWindow() {
  // The list outlives the model it shows.
  list_.setModel(nullptr);
}

void MainWindow::SetUpControls() {
  auto& status_bar = Control<QStatusBar>("StatusBar1");
  Named(status_panel_, "StatusBar1Panel1").setText(ToQt(ui::kStatusPanelText));
  status_panel_.setFixedWidth(ui::kStatusPanelWidth);
  status_bar.addWidget(&status_panel_);
  // A long text is cut at the window's edge; the window keeps its size.
  Named(status_text_, "StatusBar1Panel2")
      .setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  status_bar.addWidget(&status_text_, 1);

  list_.setRootIsDecorated(false);
  list_.setItemsExpandable(false);
  list_.setUniformRowHeights(true);  // a million rows lay out in no time
  // Shift and Ctrl with a click, and Ctrl+A, select several rows.
  list_.setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_.setSelectionBehavior(QAbstractItemView::SelectRows);
  list_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_.header()->setSectionsMovable(false);
  list_.setModel(&model_);
  website_.setValidator(&website_lines_);

  Control<PictureBox>("Picture1").SetPicture(QPixmap(QStringLiteral(":/assets/banner-main.png")));
  allow_.setPixmap(QPixmap(QStringLiteral(":/assets/button-allow.png")));
  block_.setPixmap(QPixmap(QStringLiteral(":/assets/button-block.png")));
  apply_.setPixmap(QPixmap(QStringLiteral(":/assets/button-apply.png")));
}

void MainWindow::MakeMenus() {
  using Logic = ui::frmRirAvadera;
  const auto item = [this](QMenu& menu, const char* name, const char* caption, auto handler) {
    QAction* action = menu.addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, &window(),
                     [this, handler] { Raise([&](Logic& form) { handler(form); }); });
  };
  // Present, and bound to nothing.
  const auto idle_item = [](QMenu& menu, const char* name, const char* caption) {
    menu.addAction(QString::fromLatin1(caption))->setObjectName(QString::fromLatin1(name));
  };

  Named(menu_bar_, "MenuBar");
  QMenu& file = *menu_bar_.addMenu(QStringLiteral("File"));
  file.setObjectName(QStringLiteral("mmuFile"));
  item(file, "cmdApply", "Apply Settings", [](Logic& form) { form.cmdApply_Click(); });
  item(file, "mmuImport", "Import Websites...", [](Logic& form) { form.mmuImport_Click(); });
  item(file, "mmuExport", "Export Websites...", [](Logic& form) { form.mmuExport_Click(); });
  item(file, "mmuRestore", "Restore Hosts File...", [](Logic& form) { form.mmuRestore_Click(); });
  item(file, "mmuPassword", "Change Password...", [](Logic& form) { form.mmuPassword_Click(); });
  file.addSeparator()->setObjectName(QStringLiteral("anotherbreak1"));
  item(file, "mmuExit", "Exit", [](Logic& form) { form.mmuExit_Click(); });

  QMenu& edit = *menu_bar_.addMenu(QStringLiteral("Edit"));
  edit.setObjectName(QStringLiteral("mmuEdit"));
  item(edit, "mmuAllow", "Allow Site", [](Logic& form) { form.mmuAllow_Click(); });
  item(edit, "mmuBlock", "Block Site", [](Logic& form) { form.mmuBlock_Click(); });
  item(edit, "mmuBlockOnSchedule", "Block on Schedule",
       [](Logic& form) { form.mmuBlockOnSchedule_Click(); });
  item(edit, "mmuRemoveSite", "Remove Site", [](Logic& form) { form.mmuRemoveSite_Click(); });
  item(edit, "mmuFind", "Find", [](Logic& form) { form.mmuFind_Click(); });
  edit.actions().back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  edit.addSeparator()->setObjectName(QStringLiteral("anotherbreak"));
  item(edit, "mmuClearAll", "Clear All", [](Logic& form) { form.mmuClearAll_Click(); });
  edit.addSeparator()->setObjectName(QStringLiteral("anotherbreak2"));
  item(edit, "mmuCheckBlocking", "Check Blocking...",
       [](Logic& form) { form.mmuCheckBlocking_Click(); });
  item(edit, "mmuLock", "Lock Blocks...", [](Logic& form) { form.mmuLock_Click(); });
  item(edit, "mmuSchedule", "Schedule...", [](Logic& form) { form.mmuSchedule_Click(); });
  item(edit, "mmuBrowserSettings", "Leave Browser Settings Alone",
       [](Logic& form) { form.mmuBrowserSettings_Click(); });
  browser_settings_ = edit.actions().back();
  browser_settings_->setCheckable(true);

  QMenu& help = *menu_bar_.addMenu(QStringLiteral("Help"));
  help.setObjectName(QStringLiteral("mmuHelp"));
  idle_item(help, "mmuSupport", "Support");
  help.addSeparator()->setObjectName(QStringLiteral("HelpSpacer"));
  item(help, "mmuUninstall", "Uninstall Rir Avadera",
       [](Logic& form) { form.mmuUninstall_Click(); });
  idle_item(help, "mmuAbout", "About");

  window().SetMenuBar(menu_bar_);
}

void MainWindow::RouteEvents() {
  using Logic = ui::frmRirAvadera;
  FormWindow& form = window();
  const auto on_click = [this, &form](QPushButton& button, void (Logic::*handler)()) {
    QObject::connect(&button, &QPushButton::clicked, &form,
                     [this, handler] { Raise([&](Logic& logic) { (logic.*handler)(); }); });
  };
  on_click(command1_, &Logic::Command1_Click);
  on_click(command3_, &Logic::Command3_Click);
  on_click(add_entry_, &Logic::cmdAddEntry_Click);
  allow_.OnClick([this] { Raise([](Logic& logic) { logic.imgAllow_Click(); }); });
  block_.OnClick([this] { Raise([](Logic& logic) { logic.imgBlock_Click(); }); });
  apply_.OnClick([this] { Raise([](Logic& logic) { logic.imgApply_Click(); }); });

  QObject::connect(&website_, &QLineEdit::textChanged, &form,
                   [this] { Raise([](Logic& logic) { logic.txtWebsite_Change(); }); });
  website_keys_.Watch(website_);
  QObject::connect(&find_, &QLineEdit::textChanged, &form,
                   [this] { Raise([](Logic& logic) { logic.txtFind_Change(); }); });
  QObject::connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, &form,
                   [this] { SelectionMoved(); });
  // The entry commands of the Edit menu where the user right-clicked a row, which selects it.
  list_.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&list_, &QWidget::customContextMenuRequested, &form, [this](const QPoint& at) {
    if (const QModelIndex row = list_.indexAt(at); row.isValid()) {
      list_.setCurrentIndex(row);
    }
    QMenu menu(&list_);
    menu.setObjectName(QStringLiteral("mnuList"));
    for (const char* name : {"mmuAllow", "mmuBlock", "mmuBlockOnSchedule", "mmuRemoveSite"}) {
      if (auto* action = menu_bar_.findChild<QAction*>(QString::fromLatin1(name))) {
        menu.addAction(action);
      }
    }
    menu.exec(list_.viewport()->mapToGlobal(at));
  });

  form.OnCloseRequest([this] { forms_.Unload(ui::FormId::kMain, ui::UnloadMode::kControlMenu); });
  form.OnMinimized([this] { Raise([](Logic& logic) { logic.Form_Resize(); }); });
}

template <class Handler>
void MainWindow::Raise(Handler handler) {
  if (!window().quiet() && forms_.IsLoaded(ui::FormId::kMain)) {
    handler(forms_.Main());
  }
}

void MainWindow::SelectionMoved() {
  // The first row from the selection's ranges: a few, even with a million rows selected.
  std::optional<std::size_t> first;
  for (const QItemSelectionRange& range : list_.selectionModel()->selection()) {
    const auto top = static_cast<std::size_t>(range.top());
    first = first ? std::min(*first, top) : top;
  }
  Raise([&](ui::frmRirAvadera& form) { form.lvwWebsites_SelectionMoved(first); });
}

void MainWindow::AddColumn(std::string_view header, std::optional<int> width_twips) {
  model_.AddColumn(ToQt(header));
  if (width_twips) {
    list_.header()->resizeSection(model_.columnCount() - 1, *width_twips / kTwipsPerPixel);
  }
}

std::string MainWindow::WebsiteText() const {
  return FromQt(website_.text());
}

void MainWindow::SetWebsiteText(std::string_view text) {
  FormWindow::Quietly quietly(window());
  website_.setText(ToQt(text));
}

void MainWindow::SetAddEntryEnabled(bool enabled) {
  add_entry_.setEnabled(enabled);
}

void MainWindow::SetRowStatuses(const ui::RowStatuses& statuses) {
  model_.SetStatuses(statuses);
}

void MainWindow::SetShownRows(const ui::ShownRows& shown) {
  model_.SetShownRows(shown);
}

std::vector<std::size_t> MainWindow::SelectedRows() const {
  std::vector<std::size_t> rows;
  for (const QItemSelectionRange& range : list_.selectionModel()->selection()) {
    for (int row = range.top(); row <= range.bottom(); ++row) {
      rows.push_back(static_cast<std::size_t>(row));
    }
  }
  // Ranges come in the order they were selected, and may touch one another.
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::string MainWindow::FindText() const {
  return FromQt(find_.text());
}

void MainWindow::SetFindText(std::string_view text) {
  FormWindow::Quietly quietly(window());
  find_.setText(ToQt(text));
}

void MainWindow::FocusFind() {
  find_.setFocus(Qt::ShortcutFocusReason);
  find_.selectAll();
}

void MainWindow::ShowRows(const blocklist::BlockList& list) {
  FormWindow::Quietly quietly(window());
  model_.Present(list);
  QItemSelectionModel& selection = *list_.selectionModel();
  const auto selected = list.selected();
  if (const auto row = selected ? model_.RowOf(*selected) : std::nullopt) {
    selection.setCurrentIndex(model_.index(*row, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    selection.clear();
  }
  // The rows on screen are read again; the others are read when they come into view.
  const int first = list_.indexAt(QPoint(0, 0)).row();
  const int last = list_.indexAt(QPoint(0, list_.viewport()->height() - 1)).row();
  model_.RowsChanged(first < 0 ? 0 : first, last < 0 ? model_.rowCount() - 1 : last);
}

void MainWindow::EnsureRowVisible(std::size_t position) {
  if (const auto row = model_.RowOf(position)) {
    list_.scrollTo(model_.index(*row, 0));
  }
}

void MainWindow::FocusList() {
  list_.setFocus();
}

void MainWindow::SetRestartNoticeVisible(bool visible) {
  message_.setVisible(visible);
}

void MainWindow::SetStatusText(std::string_view text) {
  status_text_.setText(ToQt(text));
  status_text_.setToolTip(status_text_.text());
}

void MainWindow::SetBrowserWarning(std::string_view text) {
  browser_warning_.setText(ToQt(text));
  browser_warning_.setVisible(!text.empty());
}

void MainWindow::SetBrowsersLeftAlone(bool left_alone) {
  browser_settings_->setChecked(left_alone);
}

void MainWindow::SetLockLine(std::string_view text) {
  lock_line_.setText(ToQt(text));
  lock_line_.setVisible(!text.empty());
}

void MainWindow::SetExportText(std::string_view text) {
  export_.setPlainText(ToQt(text));
}

std::uintptr_t MainWindow::Icon() const {
  return reinterpret_cast<std::uintptr_t>(&icon_);
}

}  // namespace qtfront
