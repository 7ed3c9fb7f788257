// "Restore Hosts File...": the user picks one of the hosts files the history kept and it becomes
// the hosts file again. Restoring is an Apply like any other: the text it replaces is kept in
// turn, so a restore can itself be undone.
#include <cstdio>
#include <utility>

#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

std::string Date(const hostsfile::KeptTime& at) {
  char text[16] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", at.year, at.month, at.day);
  return text;
}

std::string Time(const hostsfile::KeptTime& at) {
  char text[16] = {};
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", at.hour, at.minute, at.second);
  return text;
}

std::string Size(std::uint64_t bytes) {
  return Grouped(bytes) + (bytes == 1 ? " byte" : " bytes");
}

ListChoice RestoreChoice(const std::vector<hostsfile::KeptCopy>& copies) {
  ListChoice choice{.title = kRestoreTitle,
                    .prompt = kRestorePrompt,
                    .choose_button = kRestoreButton,
                    .columns = {"Date", "Time", "Size", "Entries"}};
  choice.rows.reserve(copies.size());
  for (const hostsfile::KeptCopy& copy : copies) {
    choice.rows.push_back(
        {Date(copy.kept_at), Time(copy.kept_at), Size(copy.size), Grouped(copy.entries)});
  }
  return choice;
}

}  // namespace

void frmRirAvadera::mmuRestore_Click() {
  if (!history_) {
    ShowFailure(services_, Failure::kListHistory, history_.error());
    return;
  }
  auto copies = history_->List();
  if (!copies) {
    ShowFailure(services_, Failure::kListHistory, copies.error());
    return;
  }
  if (copies->empty()) {
    ShowMessage(services_, kNoKeptCopies);
    return;
  }
  const ListAnswer answer = services_.ChooseFromList(view_, RestoreChoice(*copies));
  if (answer.button != ListAnswer::Button::kChoose || answer.rows.empty() ||
      answer.rows.front() >= copies->size()) {
    return;
  }
  RestoreCopy((*copies)[answer.rows.front()]);
}

void frmRirAvadera::RestoreCopy(const hostsfile::KeptCopy& copy) {
  auto text = history_->Read(copy);
  if (!text) {
    ShowFailure(services_, Failure::kRestore, text.error());
    return;
  }
  // The file as it stands now is kept in the history first, whoever last wrote it.
  auto saved = hosts_.Save(*text, hostsfile::ChangedElsewhere::kWriteOver);
  if (!saved) {
    ShowFailure(services_, Failure::kRestore, saved.error());
    return;
  }
  ShowWrittenText(std::move(*text), *saved);
}

void frmRirAvadera::ShowWrittenText(std::string text, const hostsfile::SaveOutcome& saved) {
  // The list shows the file as it now is, read as at the window's load, so that the lines the
  // program did not write stay in their places at the next Apply.
  list_.Clear();
  LoadHostsFile();
  ReportLoad();
  m_strHostsText = std::move(text);
  m_blnHostsTextBuilt = true;
  view_.SetRestartNoticeVisible(true);
  ShowBrowserWarning();
  AfterSave(saved);
}

}  // namespace ui
