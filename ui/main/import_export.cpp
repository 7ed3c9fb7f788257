// File, "Import Websites..." and "Export Websites...", and a paste of many names into the entry
// box: lists of any size in and out.
#include <algorithm>
#include <atomic>
#include <future>
#include <memory>

#include "hostsfile/file_io.h"
#include "rir/file_read.h"
#include "rir/text.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

const std::vector<std::pair<std::string_view, std::string_view>> kListFiles = {
    {"Lists of websites and hosts files", "*.txt;*.hosts;hosts;*.list;*.conf"}};

constexpr std::string_view kNameGaps = " \t\r\n,";

// A text of several names, as a paste from a note or a hosts file gives: more than one word,
// each holding a dot, or names parted by commas. Two words without dots ("my site") are one
// name mistyped, and refused as such.
bool HoldsManyNames(std::string_view typed) {
  typed = rir::Trimmed(typed, kNameGaps);
  if (typed.find(',') != std::string_view::npos) {
    return true;
  }
  std::size_t words = 0;
  for (std::size_t at = typed.find_first_not_of(kNameGaps); at != std::string_view::npos;) {
    const std::size_t end = typed.find_first_of(kNameGaps, at);
    if (typed.substr(at, end - at).find('.') == std::string_view::npos) {
      return false;
    }
    ++words;
    at = end == std::string_view::npos ? end : typed.find_first_not_of(kNameGaps, end);
  }
  return words > 1;
}

}  // namespace

std::optional<rir::Result<blocklist::NameImport>> frmRirAvadera::ReadNames(
    std::function<rir::Result<void>(blocklist::NameReader&)> read) {
  auto work = std::make_shared<blocklist::ImportProgress>();
  // The import reads a copy: the watch and the schedule may change the list meanwhile.
  auto result =
      std::async(std::launch::async,
                 [list = list_, read = std::move(read),
                  work]() -> std::optional<rir::Result<blocklist::NameImport>> {
                   blocklist::NameReader reader(list, blocklist::MachineNames(), work.get());
                   if (auto done = read(reader); !done) {
                     return rir::Result<blocklist::NameImport>(done.error());
                   }
                   auto imported = reader.Finish();
                   if (!imported) {
                     return std::nullopt;
                   }
                   return rir::Result<blocklist::NameImport>(std::move(*imported));
                 });
  const auto poll = [&] {
    const bool ready = result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    return ProgressState{.text = ImportProgressText(work->names_found.load()),
                         .done = work->bytes_done.load(),
                         .total = work->bytes_total.load(),
                         .finished = ready};
  };
  services_.WatchProgress(view_, ProgressWatch{.title = kImportTitle,
                                               .poll = poll,
                                               .cancel = [work] { work->cancel = true; },
                                               .wait =
                                                   [&result](std::chrono::milliseconds most) {
                                                     static_cast<void>(result.wait_for(most));
                                                   }});
  auto imported = result.get();
  if (work->cancel) {
    return std::nullopt;  // pressed as it ended: the user asked for no change
  }
  return imported;
}

void frmRirAvadera::mmuImport_Click() {
  const auto path = services_.ChooseFile(
      view_,
      FileChoice{.kind = FileChoice::Kind::kOpen, .title = kImportTitle, .filters = kListFiles});
  if (!path) {
    return;
  }
  auto read = ReadNames([path = *path](blocklist::NameReader& reader) -> rir::Result<void> {
    // In pieces: a list of a million names is never held whole besides the names it gives.
    auto found = rir::ReadFileInPieces(
        path, [&](std::string_view piece, std::size_t size) { reader.Read(piece, size); });
    if (!found) {
      return found.error();
    }
    if (!*found) {
      return rir::Error{rir::ErrorCode::kOpenForReading, path, "There is no such file"};
    }
    return {};
  });
  if (!read) {
    view_.SetStatusText(kImportCancelled);
    return;
  }
  if (!*read) {
    ShowFailure(services_, Failure::kImport, read->error());
    return;
  }
  TakeImported(std::move(**read), false);
}

bool frmRirAvadera::AddPastedNames(const std::string& typed) {
  if (!HoldsManyNames(typed)) {
    return false;
  }
  auto read = ReadNames([typed](blocklist::NameReader& reader) -> rir::Result<void> {
    reader.Read(typed, typed.size());
    return {};
  });
  if (!read) {
    view_.SetStatusText(kImportCancelled);
    return true;
  }
  if (*read) {
    TakeImported(std::move(**read), true);
  }
  return true;
}

void frmRirAvadera::TakeImported(blocklist::NameImport imported, bool pasted) {
  std::string summary = ImportSummaryText(imported);
  const std::size_t first = list_.size();
  if (first == 0) {
    // Not copied: the list may be a published one of a million names.
    list_ = std::exchange(imported.names, blocklist::BlockList());
  } else {
    const blocklist::BlockList& names = imported.names;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (auto added = list_.Append(names[i].website, names[i].status); !added) {
        // Past the list's 4 GiB of text: what came before stays, and the user hears why.
        ShowFailure(services_, Failure::kImport, added.error());
        break;
      }
    }
  }
  if (list_.size() > first) {
    ShowPosition(first);
    view_.FocusList();  // where the selection shows, as after an add
  }
  // The status bar holds one line: the count, and the rest in the box below when it is long.
  constexpr std::size_t kStatusBytes = 60;
  view_.SetStatusText(summary.size() <= kStatusBytes ? summary
                                                     : summary.substr(0, summary.find(';')) + ".");
  if (pasted) {
    view_.SetWebsiteText("");
    txtWebsite_Change();
  }
  // Said before the Apply that would write a file the resolvers choke on, not after it.
  // Told from the most the text can take: building the text of a large list to measure it
  // would cost as much memory again as the file.
  if (!m_blnSizeWarningTold && list_.size() > first) {
    const hostsfile::HostsTextBounds most = hosts_.TextBounds(list_);
    const std::string warning = HostsSizeWarning(most.most_bytes, most.most_lines, true);
    if (!warning.empty()) {
      m_blnSizeWarningTold = true;
      summary += "\n\n" + warning;
    }
  }
  // A paste that went as meant is told in the status bar alone.
  if (!pasted || imported.nameless > 0 || imported.own_names > 0 || list_.size() == first ||
      summary.find("\n\n") != std::string::npos) {
    ShowMessage(services_, summary);
  }
}

void frmRirAvadera::mmuExport_Click() {
  const auto path = services_.ChooseFile(view_, FileChoice{.kind = FileChoice::Kind::kSave,
                                                           .title = kExportTitle,
                                                           .file_name = "websites.txt",
                                                           .filters = kListFiles});
  if (!path) {
    return;
  }
  // A scheduled entry goes out blocked: the file keeps the names, not the hours.
  const std::string text = blocklist::ExportText(list_, [this](std::size_t position) {
    const blocklist::Entry entry = list_[position];
    return schedule_.Covers(entry.website) ? blocklist::Status::kBlocked : entry.status;
  });
  if (auto written = hostsfile::ReplaceFileContents(*path, text); !written) {
    ShowFailure(services_, Failure::kExport, written.error());
    return;
  }
  view_.SetStatusText(ExportedText(list_.size(), *path));
}

}  // namespace ui
