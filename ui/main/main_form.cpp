// The main window's load, its entry box and list commands, and the hosts file commands.
#include "ui/main/main_form.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "blocklist/host_name.h"
#include "blocklist/site_names.h"
#include "ui/common/messages.h"
#include "ui/common/program_files.h"

namespace ui {

frmRirAvadera::frmRirAvadera(MainView& view, Forms& forms, PlatformServices& services,
                             hostsfile::HostsStore hosts,
                             rir::Result<hostsfile::HostsHistory> history)
    : view_(view),
      forms_(forms),
      services_(services),
      hosts_(std::move(hosts)),
      history_(std::move(history)),
      lock_(services) {}

void frmRirAvadera::Form_Load() {
  // The columns come first: each row's status goes into the second one.
  // Room beside it for "Scheduled (free until Mon 09:00)".
  view_.AddColumn("Website", 4200);
  view_.AddColumn("Status", std::nullopt);
  view_.SetRowStatuses(schedule_);
  view_.SetShownRows(shown_);
  LoadHostsFile();
  LoadKnownSites();
  ReadLock();
  ReadSchedule();
  view_.SetBrowsersLeftAlone(BrowsersLeftAlone(services_));
  StartWatch();
}

void frmRirAvadera::ReadLock() {
  if (auto path = hosts_.Path()) {
    lock_.Read(*path);
  }
  ShowLockLine();
}

void frmRirAvadera::ShowLockLine() {
  std::string line = lock_.Line();
  if (line != lock_line_) {
    lock_line_ = std::move(line);
    view_.SetLockLine(lock_line_);
  }
}

// The lock holds what the hosts file blocks; what the list blocks and an Apply writes during it
// is locked then.
void frmRirAvadera::mmuLock_Click() {
  forms_.ShowLockModal();
  ReadLock();
}

void frmRirAvadera::LoadKnownSites() {
  auto read = ReadKnownSites(services_);
  if (!read) {
    m_sitesFailure = read.error();
    return;
  }
  known_sites_ = std::move(read->sites);
  if (!read->damaged_lines.empty()) {
    m_sitesDamaged = SitesFileDamagedText(read->path, read->damaged_lines);
  }
}

void frmRirAvadera::LoadHostsFile() {
  auto loaded = hosts_.Load(list_);
  if (!loaded) {
    // Reported once the window is up; the store refuses to write over the file from now on.
    m_loadFailure = loaded.error();
  }
  m_finishedSave = hosts_.finished_save();
  ShowList();
  NoteOwnWrite();
}

void frmRirAvadera::ReportLoad() {
  if (m_finishedSave) {
    const hostsfile::FinishedSave finished = *std::exchange(m_finishedSave, std::nullopt);
    ShowMessage(services_, FinishedSaveText(finished));
  }
  if (m_loadFailure) {
    const rir::Error failure = *std::exchange(m_loadFailure, std::nullopt);
    ShowFailure(services_, Failure::kLoadHosts, failure);
  }
  if (m_sitesFailure) {
    ShowFailure(services_, Failure::kReadKnownSites, *std::exchange(m_sitesFailure, std::nullopt));
  }
  if (m_sitesDamaged) {
    ShowMessage(services_, *std::exchange(m_sitesDamaged, std::nullopt));
  }
  if (m_watchReport) {
    ShowMessage(services_, ReblockedText(*std::exchange(m_watchReport, std::nullopt)));
  }
}

void frmRirAvadera::txtWebsite_Change() {
  view_.SetAddEntryEnabled(!view_.WebsiteText().empty());
}

void frmRirAvadera::txtWebsite_KeyDown(std::int16_t KeyCode, std::int16_t /*Shift*/) {
  if (KeyCode == kKeyEnter) {
    AddWebsite();
  }
}

void frmRirAvadera::cmdAddEntry_Click() {
  AddWebsite();
}

void frmRirAvadera::AddWebsite() {
  const std::string typed = view_.WebsiteText();
  if (typed.empty() || AddPastedNames(typed)) {
    return;
  }
  // A hosts line blocks only the exact name the resolver asks for; "https://Example.com/" as
  // typed would block nothing. What cannot be a name stays in the box, to be put right.
  auto host = blocklist::HostNameOf(typed);
  if (!host) {
    ShowFailure(services_, Failure::kAddWebsite, host.error());
    return;
  }
  const std::string& website = *host;
  std::size_t shown = 0;
  const bool is_new = !FindWebsite(website);
  std::vector<std::string> also;  // the site's other usual name, when added with it
  if (is_new) {
    auto added = list_.Append(website, blocklist::Status::kBlocked);
    if (!added) {
      ShowFailure(services_, Failure::kAddWebsite, added.error());
      return;
    }
    shown = *added;
    // Links, bookmarks and search results mostly lead to the other one of "www.name" and "name",
    // for a site's own name; a deeper name ("news.example.co.uk") has no such twin.
    if (const auto companion = blocklist::CompanionName(website); companion && !Holds(*companion)) {
      if (!AppendBlocked(*companion)) {
        return;
      }
      also.push_back(*companion);
    }
  } else {
    ShowMessage(services_, kEntryExists, MsgBoxIcon::kCritical);
    shown = static_cast<std::size_t>(m_lngFoundIndex - 1);
  }
  ShowPosition(shown);
  view_.FocusList();
  view_.SetWebsiteText("");
  txtWebsite_Change();
  if (!is_new) {
    return;
  }
  // Said once, where it does not stand in the way: in the status bar, or in the one question
  // a known site brings.
  const std::string added = AddedText(typed, website, also);
  view_.SetStatusText(added);
  OfferKnownSiteNames(website, added);
}

std::optional<std::size_t> frmRirAvadera::FindHost(std::string_view host) const {
  for (std::size_t i = list_.size(); i-- > 0;) {
    if (blocklist::NamesHost(list_[i].website, host)) {
      return i;
    }
  }
  return std::nullopt;
}

bool frmRirAvadera::Holds(std::string_view host) const {
  return FindHost(host).has_value();
}

bool frmRirAvadera::AppendBlocked(const std::string& host) {
  auto added = list_.Append(host, blocklist::Status::kBlocked);
  if (!added) {
    ShowFailure(services_, Failure::kAddWebsite, added.error());
  }
  return added.has_value();
}

void frmRirAvadera::OfferKnownSiteNames(const std::string& website, const std::string& added) {
  // The sites file names the site by its main name, which may be the companion of what was
  // typed ("www.youtube.com").
  const auto companion = blocklist::CompanionName(website);
  for (const std::string& site : {website, companion.value_or(std::string())}) {
    std::vector<std::string> missing;
    // A second domain of the site is reached through its www form as well.
    for (const std::string& name : blocklist::WithWwwForms(known_sites_.OtherNames(site))) {
      if (!Holds(name)) {
        missing.push_back(name);
      }
    }
    if (missing.empty()) {
      continue;
    }
    if (services_.MsgBox(added + "\n\n" + KnownSiteQuestion(site, missing), kApplicationTitle,
                         MsgBoxButtons::kYesNo, MsgBoxIcon::kQuestion) == MsgBoxResult::kYes) {
      std::size_t count = 0;
      for (const std::string& name : missing) {
        if (!AppendBlocked(name)) {
          break;
        }
        ++count;
      }
      ShowList();
      view_.SetStatusText(added + " " + OtherNamesAddedText(site, count));
    }
    return;
  }
}

bool frmRirAvadera::FindWebsite(std::string_view website) {
  // Entries loaded from the file may differ from the name in case or a trailing dot only.
  std::optional<std::size_t> found;
  for (std::size_t i = list_.size(); i-- > 0;) {
    if (blocklist::NamesHost(list_[i].website, website)) {
      found = i;
      break;
    }
  }
  if (!found) {
    return false;  // m_lngFoundIndex keeps what it held
  }
  // Beyond the 32-bit range the position saturates; no hosts file that fits in memory gets there.
  m_lngFoundIndex = *found < static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
                        ? static_cast<std::int32_t>(*found + 1)
                        : std::numeric_limits<std::int32_t>::max();
  return true;
}

void frmRirAvadera::lvwWebsites_SelectionMoved(std::optional<std::size_t> row) {
  if (row && *row < shown_.size(list_)) {
    list_.Select(shown_.Position(*row));
  } else {
    list_.ClearSelection();
  }
}

std::optional<std::string> frmRirAvadera::PairToChangeToo(PairChange change,
                                                          blocklist::Status status) {
  const auto selected = list_.selected();
  if (!selected) {
    return std::nullopt;
  }
  const blocklist::Entry entry = list_[*selected];
  if (change != PairChange::kRemove && entry.status == status) {
    return std::nullopt;  // the entry stays as it is
  }
  // Loaded entries may differ from the name in case or a trailing dot.
  const auto host = blocklist::HostNameOf(entry.website);
  const auto companion = host ? blocklist::CompanionName(*host) : std::nullopt;
  const auto pair = companion ? FindHost(*companion) : std::nullopt;
  // Only a companion that stands as the entry stood: one the user set apart stays apart.
  if (!pair || *pair == *selected ||
      (change != PairChange::kRemove && list_[*pair].status != entry.status)) {
    return std::nullopt;
  }
  const std::string name(entry.website);
  std::string other(list_[*pair].website);
  if (services_.MsgBox(PairQuestion(change, name, other), kApplicationTitle, MsgBoxButtons::kYesNo,
                       MsgBoxIcon::kQuestion) != MsgBoxResult::kYes) {
    return std::nullopt;
  }
  return other;
}

void frmRirAvadera::SetSelectedStatus(blocklist::Status status) {
  if (list_.empty()) {
    return;
  }
  if (const auto positions = SelectedPositions(); positions.size() > 1) {
    SetStatusOfMany(positions, status);
    return;
  }
  const bool allowing = status == blocklist::Status::kAllowed;
  if (list_.selected()) {
    const std::string name(list_[*list_.selected()].website);
    if ((allowing && lock_.Refuses({name})) || ScheduleRefuses(name, allowing)) {
      return;
    }
    schedule_.Remove(name);  // blocked or allowed at all hours from now on
  }
  const auto pair = PairToChangeToo(
      status == blocklist::Status::kAllowed ? PairChange::kAllow : PairChange::kBlock, status);
  if (pair && status == blocklist::Status::kAllowed && lock_.Refuses({*pair})) {
    return;
  }
  list_.SetSelectedStatus(status);
  // Found again by its name: the list may have changed while the question was open.
  if (const auto position = pair ? FindHost(*pair) : std::nullopt) {
    list_.SetStatus(*position, status);
  }
  ShowList();
}

void frmRirAvadera::SetStatusOfMany(const std::vector<std::size_t>& positions,
                                    blocklist::Status status) {
  const bool allowing = status == blocklist::Status::kAllowed;
  std::vector<std::string> names;
  names.reserve(positions.size());
  for (const std::size_t position : positions) {
    names.emplace_back(list_[position].website);
  }
  if ((allowing && lock_.Refuses(names)) ||
      std::any_of(names.begin(), names.end(),
                  [&](const std::string& name) { return ScheduleRefuses(name, allowing); })) {
    return;
  }
  // Each row as selected: the pair questions of a single row would be one box per row.
  if (services_.MsgBox(ManyRowsQuestion(allowing ? "Allow" : "Block", positions.size()),
                       kApplicationTitle, MsgBoxButtons::kYesNo,
                       MsgBoxIcon::kQuestion) != MsgBoxResult::kYes) {
    return;
  }
  for (const std::size_t position : positions) {
    list_.SetStatus(position, status);
  }
  for (const std::string& name : names) {
    schedule_.Remove(name);  // blocked or allowed at all hours from now on
  }
  ShowList();
}

void frmRirAvadera::RemoveMany(const std::vector<std::size_t>& positions) {
  std::vector<std::string> names;
  names.reserve(positions.size());
  for (const std::size_t position : positions) {
    names.emplace_back(list_[position].website);
  }
  if (lock_.Refuses(names) || std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return ScheduleRefuses(name, true);
      })) {
    return;
  }
  if (services_.MsgBox(ManyRowsQuestion("Remove", positions.size()), kApplicationTitle,
                       MsgBoxButtons::kYesNo, MsgBoxIcon::kQuestion) != MsgBoxResult::kYes) {
    return;
  }
  list_.RemoveAll(positions);
  for (const std::string& name : names) {
    schedule_.Remove(name);
  }
  ShowList();
}

void frmRirAvadera::imgAllow_Click() {
  SetSelectedStatus(blocklist::Status::kAllowed);
}
void frmRirAvadera::imgBlock_Click() {
  SetSelectedStatus(blocklist::Status::kBlocked);
}
void frmRirAvadera::mmuAllow_Click() {
  imgAllow_Click();
}
void frmRirAvadera::mmuBlock_Click() {
  imgBlock_Click();
}

void frmRirAvadera::mmuRemoveSite_Click() {
  if (const auto positions = SelectedPositions(); positions.size() > 1) {
    RemoveMany(positions);
    return;
  }
  if (!list_.selected()) {
    return;
  }
  const std::string name(list_[*list_.selected()].website);
  if (lock_.Refuses({name}) || ScheduleRefuses(name, true)) {
    return;
  }
  const auto pair = PairToChangeToo(PairChange::kRemove, blocklist::Status::kBlocked);
  if (pair && lock_.Refuses({*pair})) {
    return;
  }
  list_.RemoveSelected();
  schedule_.Remove(name);
  if (const auto position = pair ? FindHost(*pair) : std::nullopt) {
    list_.Remove(*position);
  }
  ShowList();
}

void frmRirAvadera::mmuClearAll_Click() {
  if (list_.empty()) {
    return;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    names.emplace_back(list_[i].website);
  }
  if (lock_.Refuses(names)) {
    return;
  }
  for (const std::string& name : names) {
    if (ScheduleRefuses(name, true)) {
      return;
    }
  }
  list_.Clear();
  ShowList();
}

void frmRirAvadera::BuildHostsText() {
  view_.SetExportText("");
  m_strHostsText = hosts_.BuildText(list_);
  m_blnHostsTextBuilt = true;
}

rir::Result<hostsfile::SaveOutcome> frmRirAvadera::SaveHostsFile() {
  return hosts_.Save(m_strHostsText);
}

rir::Result<void> frmRirAvadera::ApplyList() {
  TakeInFinishedChange();
  schedule_.Refresh();
  PutScheduleInForce();
  BuildHostsText();
  auto saved = SaveHostsFile();
  if (!saved) {
    return saved.error();
  }
  // After the file: what it blocks now is locked, so a lock lets a scheduled entry that this
  // Apply blocks leave the schedule.
  if (auto kept = SaveSchedule(); !kept) {
    NoteOwnWrite();
    return kept.error();
  }
  NoteOwnWrite();
  lock_.Applied(m_strHostsText);
  // The list is applied all the same: only the way back to the old text is missing.
  view_.SetRestartNoticeVisible(true);
  ShowBrowserWarning();
  AfterSave(*saved);
  return {};
}

bool frmRirAvadera::Apply() {
  auto applied = ApplyList();
  if (!applied && applied.error().code == rir::ErrorCode::kChangedSinceLoad) {
    OfferReload(applied.error().path);
    return false;
  }
  if (!applied) {
    ShowFailure(services_, Failure::kApply, applied.error());
    return false;
  }
  WarnOfSize();
  return true;
}

void frmRirAvadera::WarnOfSize() {
  if (m_blnSizeWarningTold) {
    return;
  }
  const std::string text = HostsSizeWarning(m_strHostsText.size(), CountLines(m_strHostsText));
  if (!text.empty()) {
    m_blnSizeWarningTold = true;
    ShowMessage(services_, text, MsgBoxIcon::kCritical);
  }
}

void frmRirAvadera::OfferReload(std::string_view hosts_path) {
  // The other program's lines are never dropped behind the user's back: either the list takes
  // them in by loading the file again, or nothing is written.
  if (services_.MsgBox(ChangedElsewhereQuestion(hosts_path), kApplicationTitle,
                       MsgBoxButtons::kYesNo, MsgBoxIcon::kQuestion) != MsgBoxResult::kYes) {
    return;
  }
  list_.Clear();
  LoadHostsFile();
  ReportLoad();
  // The text built before would drop those lines too, were "save only" to write it.
  m_strHostsText.clear();
  m_blnHostsTextBuilt = false;
}

void frmRirAvadera::AfterSave(const hostsfile::SaveOutcome& saved) {
  // Once each is enough: the causes (a folder that cannot be written, a cache service that
  // refuses) rarely go away by themselves, and a box at every Apply would stand in the way of
  // the work they do not stop.
  if (saved.history_failure && !m_blnHistoryFailureTold) {
    m_blnHistoryFailureTold = true;
    ShowFailure(services_, Failure::kKeepHistory, *saved.history_failure);
  }
  if (saved.record_failure && !m_blnRecordFailureTold) {
    m_blnRecordFailureTold = true;
    ShowFailure(services_, Failure::kRecordBlocks, *saved.record_failure);
  }
  if (saved.browser_policy_failure && !m_blnPolicyFailureTold) {
    m_blnPolicyFailureTold = true;
    ShowFailure(services_, Failure::kBrowserSettings, *saved.browser_policy_failure);
  }
  if (!saved.changed) {
    return;  // nothing new for a cache to forget
  }
  // A cache would go on answering with what the file said before, blocked names included. Where
  // the file's writer emptied them already, it told why any could not be.
  const std::vector<rir::Error> failures =
      saved.flushed_caches ? *saved.flushed_caches : services_.FlushResolverCaches();
  if (!failures.empty() && !m_blnFlushFailureTold) {
    m_blnFlushFailureTold = true;
    ShowFailure(services_, Failure::kFlushResolverCaches, failures.front());
  }
}

void frmRirAvadera::imgApply_Click() {
  if (Apply()) {
    CheckBlocking(false);
  }
}
void frmRirAvadera::cmdApply_Click() {
  imgApply_Click();
}

void frmRirAvadera::Command1_Click() {
  // Before any build the hosts text is empty, and writing it would wipe the hosts file.
  if (!m_blnHostsTextBuilt) {
    return;
  }
  auto saved = SaveHostsFile();
  if (!saved) {
    ShowFailure(services_, Failure::kSaveOnly, saved.error());
    return;
  }
  NoteOwnWrite();
  AfterSave(*saved);
}

void frmRirAvadera::Command3_Click() {
  BuildHostsText();
  view_.SetExportText(m_strHostsText);
}

void frmRirAvadera::mmuPassword_Click() {
  forms_.ShowPasswordModal();
}

}  // namespace ui
