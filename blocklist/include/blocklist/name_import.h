// Many names taken in at once: a list of names (one or more a line, "#" comments), a hosts file
// of any origin ("0.0.0.0 name", "127.0.0.1 name other", CR LF or LF, UTF-8 with or without a
// byte order mark), names pasted from a note (blanks, commas or line ends between them), or a
// list this program wrote (ExportText). Every name goes through HostNameOf, as a typed one does.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"

namespace blocklist {

// What a text gave, against the list it goes into.
struct NameImport {
  BlockList names;            // new to the list, in the text's order, each once
  std::size_t in_list = 0;    // names the list holds already (whatever their case or final dot)
  std::size_t repeated = 0;   // names the text gave before
  std::size_t own_names = 0;  // "localhost" and the machine's own names, never taken
  std::size_t nameless = 0;   // lines that held words but no name
  std::size_t first_nameless = 0;     // the first of them, counted from 1
  std::string first_nameless_text;    // as it stands, cut short
  std::string first_nameless_reason;  // why its first word is no name
  std::size_t lines = 0;
};

// Shared with another thread while a long import runs: how far it got, and whether to stop.
struct ImportProgress {
  std::atomic<std::size_t> bytes_done{0};
  std::atomic<std::size_t> bytes_total{0};  // where known
  std::atomic<std::size_t> names_found{0};
  std::atomic<bool> cancel{false};
};

class Importer;

// Reads names from a text given piece by piece, as a file is read: the file is never held whole,
// and a line may run on from one piece into the next. The names in `own_names` (the machine's,
// from MachineNames) are never taken, nor "localhost" and its kin. A line "name<TAB>Allowed" of
// an exported list gives an allowed entry.
class NameReader {
 public:
  NameReader(const BlockList& list, std::vector<std::string> own_names,
             ImportProgress* progress = nullptr);
  NameReader(const NameReader&) = delete;
  NameReader& operator=(const NameReader&) = delete;
  ~NameReader();

  // `whole_size`: the bytes of the whole text, where known.
  void Read(std::string_view piece, std::size_t whole_size = 0);
  // The names of the text that `list` does not hold; none when `progress` asked to stop.
  std::optional<NameImport> Finish();

 private:
  void Lines(std::string_view text, bool last);
  bool Cancelled() const;

  std::vector<std::string> own_names_;
  std::unique_ptr<Importer> importer_;
  ImportProgress* progress_;
  std::string carried_;  // a line begun in the last piece
  std::string utf16_;    // the whole text of a UTF-16 file, converted at the end
  std::size_t read_ = 0;
  bool utf16_file_ = false;
};

// A whole text at once, as NameReader reads it.
std::optional<NameImport> ImportNames(std::string_view text, const BlockList& list,
                                      const std::vector<std::string>& own_names,
                                      ImportProgress* progress = nullptr);

// The list as ImportNames reads it back: a comment, then each website and its status.
// `status_of` says what a position is exported as (a scheduled entry is exported blocked).
std::string ExportText(const BlockList& list, const std::function<Status(std::size_t)>& status_of);

// The names this machine answers to, in lower case: its host name and its fully qualified
// name, where the system has them.
std::vector<std::string> MachineNames();

}  // namespace blocklist
