// kill_save [--lines N] [--kills K] [--kind plain|bind|both] [--seed S] [--folder DIR]
//           [--helper PATH]
//
// Kills the program's save at random moments, K times for each kind of file, and prints what
// each kill left: the hosts file's old text, its new text, or a torn one, and whether anything
// was left beside it. A save loads a file of N of the program's own lines (CR LF), changes every
// entry and saves it through HostsStore. Kinds: `plain`, a file in a folder; `bind`, a file
// bind-mounted onto another path and saved through that path (in a private mount namespace), so
// that no rename can replace it. The files lie in a new folder under DIR (default: the system's
// temporary folder), removed at the end. With --helper, the save is the Linux program's helper's
// (a copy of PATH), started through its entry point with the program's request, and killed; the
// next load is the desktop user's, which asks the helper to finish what the user may not touch
// (both kinds in a private mount namespace whose /etc is the run's folder). With the helper, its
// record of the blocked entries is looked at too: before each kill a save of the old text left
// alone makes it true, and after the next load and one more request to the helper (a finish) it
// must agree with the file (the names the file blocks, and the file's stamp where the record
// holds one); the report counts the kills after which it disagreed, those after which there was
// none, and those that left a new file named after it beside it. Exit status 1 when a kill left a
// torn file or leftovers, a load failed, or the record disagreed.
#include "kill_save.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "helper_kill.h"
#include "private_mount.h"

namespace {

int Usage() {
  std::fputs(
      "usage: kill_save [--lines N] [--kills K] [--kind plain|bind|both] [--seed S] "
      "[--folder DIR] [--helper PATH]\n",
      stderr);
  return 2;
}

// Prints the counts; true when the kind passed.
bool Report(const char* kind, const testsupport::KillCounts& counts) {
  std::printf("%-6s %s\n", kind, testsupport::Describe(counts).c_str());
  std::fflush(stdout);
  return counts.error.empty() && counts.torn == 0 && counts.leftovers == 0 &&
         counts.failed_loads == 0 && counts.record_disagrees == 0 &&
         counts.record_wrong_unkilled == 0 && counts.record_leftovers == 0;
}

// A folder of its own under `base`, removed at the end.
class RunFolder {
 public:
  explicit RunFolder(const std::string& base) : path_(base + "/rir-kill-XXXXXX") {
    made_ = ::mkdtemp(path_.data()) != nullptr;
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  ~RunFolder() {
    std::error_code ignored;
    if (made_) {
      std::filesystem::remove_all(path_, ignored);
    }
  }
  bool made() const { return made_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool made_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  testsupport::KillRun run;
  run.lines = 1'000'000;
  run.kills = 500;
  std::string kind = "both";
  std::string base = std::filesystem::temp_directory_path().string();
  std::string helper;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (i + 1 >= argc) {
      return Usage();
    }
    const char* value = argv[++i];
    if (option == "--lines") {
      run.lines = std::strtoull(value, nullptr, 10);
    } else if (option == "--kills") {
      run.kills = std::strtoull(value, nullptr, 10);
    } else if (option == "--seed") {
      run.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
    } else if (option == "--kind") {
      kind = value;
    } else if (option == "--folder") {
      base = value;
    } else if (option == "--helper") {
      helper = value;
    } else {
      return Usage();
    }
  }
  if (kind != "plain" && kind != "bind" && kind != "both") {
    return Usage();
  }
  std::printf("%zu lines, %zu kills for each kind%s\n", run.lines, run.kills,
              helper.empty() ? "" : ", saved by the helper");
  // The helper's copy, with its state file and data beside it, out of the runs' way.
  RunFolder program(base);
  if (!helper.empty()) {
    const std::string copy = program.path() + "/rir-avadera-helper";
    std::error_code failed;
    if (!program.made() || !std::filesystem::copy_file(helper, copy, failed)) {
      std::fprintf(stderr, "kill_save: cannot copy %s\n", helper.c_str());
      return 2;
    }
    testsupport::SaveThroughHelper(run, copy);
    testsupport::LookAtHelperRecord(run, copy);
  }

  bool passed = true;
  if (kind != "bind") {
    RunFolder folder(base);
    if (!folder.made()) {
      std::fprintf(stderr, "kill_save: cannot make a folder in %s\n", base.c_str());
      return 2;
    }
    run.folder = folder.path();
    if (helper.empty()) {
      passed = Report("plain", testsupport::RunKills(run)) && passed;
    } else {
      passed = testsupport::InPrivateMounts(
                   [&] { return Report("plain", testsupport::RunKills(run)) ? 0 : 1; }) == 0 &&
               passed;
    }
  }
  if (kind != "plain") {
    RunFolder folder(base);
    if (!folder.made()) {
      std::fprintf(stderr, "kill_save: cannot make a folder in %s\n", base.c_str());
      return 2;
    }
    run.folder = folder.path();
    run.bind_mounted = true;
    const int code = testsupport::InPrivateMounts(
        [&] { return Report("bind", testsupport::RunKills(run)) ? 0 : 1; });
    if (code == testsupport::kNoPrivateMounts) {
      std::puts("bind   skipped: this system allows no private mount namespace here");
    } else {
      passed = code == 0 && passed;
    }
  }
  return passed ? 0 : 1;
}
