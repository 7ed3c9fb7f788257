#include "main_window.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <limits>

#include "controls.h"
#include "text.h"
#include "ui/main/main_form.h"

namespace qtfront {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kStatusPanelWidth = 133;  // 2000 twips

}  // namespace

MainWindow::MainWindow(ui::Forms& forms)
    : QtForm<ui::MainView>(
          {.caption = QStringLiteral("Tamborelle Website Durezur"), .client_size = {575, 588}}),
      forms_(forms),
      icon_(ProgramIcon()),
      command1_(QStringLiteral("Command1"), &client()),
      status_bar_(&client()),
      list_(&client()),
      export_(&client()),
      command3_(QStringLiteral("Preview Saved Data"), &client()),
      add_entry_(QStringLiteral("Add Entry"), &client()),
      website_(&client()),
      enter_website_(QStringLiteral("Enter Website:"), &client()),
      picture1_(&client()),
      banner_(&picture1_),
      message_(QStringLiteral("Important: Restart your Web Browser!"), &banner_),
      allow_(QStringLiteral(":/assets/button-allow.png"), &client()),
      block_(QStringLiteral(":/assets/button-block.png"), &client()),
      apply_(QStringLiteral(":/assets/button-apply.png"), &client()),
      website_keys_([this](std::int16_t key_code, std::int16_t shift) {
        Raise([&](ui::frmRirAvadera& form) { form.txtWebsite_KeyDown(key_code, shift); });
      }) {
  PlaceControls();
  MakeMenus();
  RouteEvents();
}

void MainWindow::PlaceControls() {
  PlaceButton(Named(command1_, "Command1"), {664, 408, 201, 49});

  Named(status_bar_, "StatusBar1").setGeometry(0, 563, 575, 25);
  status_bar_.setSizeGripEnabled(false);
  Named(status_panel_, "StatusBar1Panel1").setText(QStringLiteral("www.tamborelle.com"));
  status_panel_.setFixedWidth(kStatusPanelWidth);
  status_bar_.addWidget(&status_panel_);

  Named(list_, "lvwWebsites").setGeometry(8, 200, 561, 305);
  list_.setFont(ProgramFont(QStringLiteral("Verdana"), 9.75, true));
  list_.setRootIsDecorated(false);
  list_.setItemsExpandable(false);
  list_.setUniformRowHeights(true);  // a million rows lay out in no time
  list_.setSelectionMode(QAbstractItemView::SingleSelection);
  list_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_.header()->setSectionsMovable(false);
  list_.setModel(&model_);

  Named(export_, "txtExport").setGeometry(600, 88, 297, 273);
  export_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  export_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The box is never on screen: Tab must lead out of it, not into its hidden text.
  export_.setTabChangesFocus(true);

  PlaceButton(Named(command3_, "Command3"), {712, 368, 129, 33});
  PlaceButton(Named(add_entry_, "cmdAddEntry"), {464, 152, 105, 33});
  add_entry_.setEnabled(false);

  Named(website_, "txtWebsite").setGeometry(8, 152, 449, 33);
  website_.setFont(ProgramFont(QStringLiteral("Verdana"), 11.25, true));
  website_.setMaxLength(std::numeric_limits<int>::max());
  SetColour(website_, QPalette::Text, QColor(0, 0, 255));

  PlaceLabel(Named(enter_website_, "lblEnterWebsite"), {8, 128, 289, 25});
  enter_website_.setFont(ProgramFont(QStringLiteral("Verdana"), 12, true));
  enter_website_.setAutoFillBackground(true);
  // Its box reaches one pixel into the entry box, which stays whole.
  enter_website_.lower();

  Named(picture1_, "Picture1").setGeometry(0, 0, 576, 121);
  picture1_.setFrameStyle(QFrame::Box | QFrame::Plain);
  picture1_.setLineWidth(1);
  picture1_.setBackgroundRole(QPalette::Base);
  picture1_.setAutoFillBackground(true);
  picture1_.setFocusPolicy(Qt::StrongFocus);
  // The picture lies at the top left of the inner area, its right edge cut off.
  banner_.setGeometry(picture1_.contentsRect());
  banner_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  banner_.setPixmap(QPixmap(QStringLiteral(":/assets/banner-main.png")));
  PlaceLabel(Named(message_, "lblMessage"), {144, 88, 257, 17});
  message_.setFont(ProgramFont(QStringLiteral("Verdana"), 8.25, true));
  SetColour(message_, QPalette::WindowText, QColor(255, 0, 0));
  message_.hide();

  Named(allow_, "imgAllow").setGeometry(8, 512, 124, 33);
  Named(block_, "imgBlock").setGeometry(136, 512, 124, 33);
  Named(apply_, "imgApply").setGeometry(443, 511, 124, 33);

  // The tab order of the tables; labels, pictures and the status bar take no focus.
  QWidget::setTabOrder(&command1_, &list_);
  QWidget::setTabOrder(&list_, &export_);
  QWidget::setTabOrder(&export_, &command3_);
  QWidget::setTabOrder(&command3_, &add_entry_);
  QWidget::setTabOrder(&add_entry_, &website_);
  QWidget::setTabOrder(&website_, &picture1_);
  command1_.setFocus();
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
  item(file, "mmuRestore", "Restore Hosts File...", [](Logic& form) { form.mmuRestore_Click(); });
  item(file, "mmuPassword", "Change Password...", [](Logic& form) { form.mmuPassword_Click(); });
  file.addSeparator()->setObjectName(QStringLiteral("anotherbreak1"));
  item(file, "mmuExit", "Exit", [](Logic& form) { form.mmuExit_Click(); });

  QMenu& edit = *menu_bar_.addMenu(QStringLiteral("Edit"));
  edit.setObjectName(QStringLiteral("mmuEdit"));
  item(edit, "mmuAllow", "Allow Site", [](Logic& form) { form.mmuAllow_Click(); });
  item(edit, "mmuBlock", "Block Site", [](Logic& form) { form.mmuBlock_Click(); });
  item(edit, "mmuRemoveSite", "Remove Site", [](Logic& form) { form.mmuRemoveSite_Click(); });
  edit.addSeparator()->setObjectName(QStringLiteral("anotherbreak"));
  item(edit, "mmuClearAll", "Clear All", [](Logic& form) { form.mmuClearAll_Click(); });

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
  FormWidget& form = window();
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
  QObject::connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, &form,
                   [this] { SelectionMoved(); });

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
  const QModelIndexList rows = list_.selectionModel()->selectedRows();
  const std::optional<std::size_t> position =
      rows.isEmpty() ? std::nullopt : std::optional(static_cast<std::size_t>(rows.front().row()));
  Raise([&](ui::frmRirAvadera& form) { form.lvwWebsites_SelectionMoved(position); });
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
  FormWidget::Quietly quietly(window());
  website_.setText(ToQt(text));
}

void MainWindow::SetAddEntryEnabled(bool enabled) {
  add_entry_.setEnabled(enabled);
}

void MainWindow::ShowRows(const blocklist::BlockList& list) {
  FormWidget::Quietly quietly(window());
  model_.Present(list);
  QItemSelectionModel& selection = *list_.selectionModel();
  if (const auto selected = list.selected(); selected && *selected < list.size()) {
    selection.setCurrentIndex(model_.index(static_cast<int>(*selected), 0),
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
  list_.scrollTo(model_.index(static_cast<int>(position), 0));
}

void MainWindow::FocusList() {
  list_.setFocus();
}

void MainWindow::SetRestartNoticeVisible(bool visible) {
  message_.setVisible(visible);
}

void MainWindow::SetExportText(std::string_view text) {
  export_.setPlainText(ToQt(text));
}

std::uintptr_t MainWindow::Icon() const {
  return reinterpret_cast<std::uintptr_t>(&icon_);
}

}  // namespace qtfront
