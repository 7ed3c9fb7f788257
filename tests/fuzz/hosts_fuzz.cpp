// Fuzzes the hosts file store: any bytes, read in pieces split anywhere and applied without a
// change, must read back as the same list, and that text (every entry as its pair of lines, every
// other line as it was) must then come back byte for byte; after random edits, the applied text
// must read back as exactly the edited list and come back byte for byte as well. One input in 32
// goes through a real file as well: loaded, applied and loaded again by the store.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "blocklist/block_list.h"
#include "hostsfile/hosts_format.h"
#include "hostsfile/hosts_store.h"
#include "list_entries.h"

namespace {

using blocklist::BlockList;
using blocklist::Status;

using testsupport::EntriesOf;

void Require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

// A file of this process's own, on a memory file system where there is one (the store syncs).
const std::string& FilePath() {
  static const std::string path = [] {
    const std::filesystem::path folder = std::filesystem::exists("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    return (folder / ("hosts-fuzz-" + std::to_string(getpid()))).string();
  }();
  return path;
}

// The store's own way: write the file, load it, apply the edited list, load it again.
void ThroughTheStore(const std::string& file, const std::string& unchanged,
                     const std::vector<testsupport::ListEntry>& edited_entries,
                     const std::string& applied) {
  {
    std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
  }
  hostsfile::HostsStore store(FilePath());
  BlockList list;
  // A UTF-16 file is refused whole, and never written over.
  if (file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF")) {
    const auto loaded = store.Load(list);
    Require(!loaded && loaded.error().code == rir::ErrorCode::kUtf16Text);
    Require(!store.Save(applied).has_value());
    std::filesystem::remove(FilePath());
    return;
  }
  Require(store.Load(list).has_value());
  Require(store.BuildText(list) == unchanged);
  Require(store.Save(applied).has_value());
  BlockList again;
  Require(hostsfile::HostsStore(FilePath()).Load(again).has_value());
  Require(EntriesOf(again) == edited_entries);
  std::filesystem::remove(FilePath());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 64);
  const bool through_file = input.ConsumeIntegralInRange<int>(0, 31) == 0;
  const int edits = input.ConsumeIntegralInRange<int>(0, 16);
  std::vector<std::string> websites;
  for (int i = 0; i < edits; ++i) {
    websites.push_back(input.ConsumeRandomLengthString(24));
  }
  std::vector<std::uint8_t> actions =
      input.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(edits) * 2);
  const std::string file = input.ConsumeRemainingBytesAsString();

  // Load, as the store reads a file: in pieces.
  BlockList list;
  hostsfile::HostsParser parser(list, file.size());
  for (std::size_t at = 0; at < file.size(); at += piece) {
    parser.Feed(std::string_view(file).substr(at, piece));
  }
  const hostsfile::HostsLayout layout = std::move(parser).Finish();
  // Unchanged, the text differs from the file only where an entry line lacked its partner; the
  // text the program wrote comes back exactly.
  const std::string unchanged = hostsfile::BuildHostsText(layout, list);
  {
    BlockList read_back;
    const hostsfile::HostsLayout read_back_layout = hostsfile::ParseHosts(unchanged, read_back);
    Require(EntriesOf(read_back) == EntriesOf(list));
    Require(hostsfile::BuildHostsText(read_back_layout, read_back) == unchanged);
  }

  // Random edits, as the window's commands make them.
  actions.resize(static_cast<std::size_t>(edits) * 2);
  for (int i = 0; i < edits; ++i) {
    const std::uint8_t what = actions[static_cast<std::size_t>(i) * 2];
    const std::size_t where = actions[static_cast<std::size_t>(i) * 2 + 1];
    const bool any = !list.empty();
    switch (what % 5) {
      case 0:
        if (auto added = list.Append(websites[static_cast<std::size_t>(i)]); !added) {
          Require(!blocklist::IsSingleLine(websites[static_cast<std::size_t>(i)]));
        }
        break;
      case 1:
        if (any)
          list.SetStatus(where % list.size(), Status::kAllowed);
        break;
      case 2:
        if (any)
          list.SetStatus(where % list.size(), Status::kBlocked);
        break;
      case 3:
        if (any)
          list.Remove(where % list.size());
        break;
      default:
        if (where % 7 == 0)
          list.Clear();
        break;
    }
  }

  // Apply, then load again: the same entries, in the same order.
  const std::string applied = hostsfile::BuildHostsText(layout, list);
  BlockList again;
  const hostsfile::HostsLayout again_layout = hostsfile::ParseHosts(applied, again);
  Require(EntriesOf(again) == EntriesOf(list));
  Require(hostsfile::BuildHostsText(again_layout, again) == applied);
  if (through_file) {
    ThroughTheStore(file, unchanged, EntriesOf(list), applied);
  }
  return 0;
}
