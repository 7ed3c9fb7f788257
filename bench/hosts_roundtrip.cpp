// hosts_roundtrip IN OUT     loads IN as the main window does, builds the hosts text from the
//                            unchanged list and saves it to OUT with the program's own save.
// hosts_roundtrip --change-every-entry IN OUT
//                            the same, with every entry's status changed (blocked <-> allowed)
//                            before the text is built: an Apply that rewrites every entry line.
// hosts_roundtrip --list IN  prints each entry of IN as status, TAB, website text.
#include <cstdio>
#include <string>
#include <string_view>

#include "blocklist/block_list.h"
#include "hostsfile/hosts_store.h"

namespace {

int Fail(const rir::Error& error) {
  std::fprintf(stderr, "hosts_roundtrip: %s\n", rir::DescribeError(error).c_str());
  return 1;
}

int Usage() {
  std::fputs(
      "usage: hosts_roundtrip IN OUT\n       hosts_roundtrip --change-every-entry IN OUT\n"
      "       hosts_roundtrip --list IN\n",
      stderr);
  return 2;
}

int List(const std::string& in_path) {
  hostsfile::HostsStore in(in_path);
  blocklist::BlockList list;
  if (auto loaded = in.Load(list); !loaded) {
    return Fail(loaded.error());
  }
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const blocklist::Entry entry = list.at(i);
    out += blocklist::StatusText(entry.status);
    out += '\t';
    out += entry.website;
    out += '\n';
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fputs("hosts_roundtrip: cannot write to standard output\n", stderr);
    return 1;
  }
  return 0;
}

int RoundTrip(const std::string& in_path, const std::string& out_path, bool change_every_entry) {
  hostsfile::HostsStore in(in_path);
  blocklist::BlockList list;
  if (auto loaded = in.Load(list); !loaded) {
    return Fail(loaded.error());
  }
  if (change_every_entry) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      list.SetStatus(i, list[i].status == blocklist::Status::kBlocked
                            ? blocklist::Status::kAllowed
                            : blocklist::Status::kBlocked);
    }
  }
  const std::string text = in.BuildText(list);
  if (auto saved = hostsfile::HostsStore(out_path).Save(text); !saved) {
    return Fail(saved.error());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--list") {
    return List(argv[2]);
  }
  if (argc == 3 && argv[1][0] != '-') {
    return RoundTrip(argv[1], argv[2], false);
  }
  if (argc == 4 && std::string_view(argv[1]) == "--change-every-entry") {
    return RoundTrip(argv[2], argv[3], true);
  }
  return Usage();
}
