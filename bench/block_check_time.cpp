// block_check_time HOSTS_FILE
//
// Runs the main window's check of the blocks (the same code, the same options) over the blocked
// entries of HOSTS_FILE, as the system's hosts file, and prints how long it took, the peak
// resident memory, how many names were looked up through the resolver and judged from the file,
// and the leaks and findings. The system's resolver reads /etc/hosts, so HOSTS_FILE must be
// /etc/hosts: the tool refuses to run unless it is in a mount namespace of its own whose
// /etc/hosts is that file, for instance
//   unshare -m sh -c 'mount --bind FILE /etc/hosts && exec build/linux/bench/block_check_time FILE'
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "hostsfile/hosts_store.h"
#include "ui/common/system_block_check.h"
#include "ui/main/other_names.h"

namespace {

using Clock = std::chrono::steady_clock;

bool SameFile(const char* a, const char* b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::string NamespaceOf(const char* process) {
  char target[128] = {};
  const std::string link = std::string("/proc/") + process + "/ns/mnt";
  const ssize_t size = ::readlink(link.c_str(), target, sizeof target - 1);
  return size > 0 ? std::string(target, static_cast<std::size_t>(size)) : std::string();
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: block_check_time HOSTS_FILE (in a mount namespace whose /etc/hosts it is)\n",
               stderr);
    return 2;
  }
  const std::string own = NamespaceOf("self");
  if (own.empty() || own == NamespaceOf("1") || !SameFile(argv[1], "/etc/hosts")) {
    std::fprintf(stderr,
                 "block_check_time: /etc/hosts must be %s, in a mount namespace of this "
                 "process's own (this machine's hosts file is never checked here)\n",
                 argv[1]);
    return 2;
  }
  const auto start = Clock::now();
  hostsfile::HostsStore store("/etc/hosts");
  blocklist::BlockList list;
  if (auto loaded = store.Load(list); !loaded) {
    std::fprintf(stderr, "block_check_time: %s\n", rir::DescribeError(loaded.error()).c_str());
    return 1;
  }
  const double load = Seconds(start);

  // As the window gathers them.
  const auto check_start = Clock::now();
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].status == blocklist::Status::kBlocked) {
      names.emplace_back(list[i].website);
    }
  }
  const std::size_t blocked = names.size();
  bool bounded = false;
  const std::vector<std::string> others =
      ui::OtherNamesOfSites(names, list, blocklist::KnownSites(), bounded);
  names.insert(names.end(), others.begin(), others.end());
  const auto check = ui::StartSystemBlockCheck(std::move(names), blocked, "/etc/hosts");
  while (!check->progress().finished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const double checked = Seconds(check_start);
  const auto summary = check->Summary();
  // As the window lists them: the blocked names' leaks, and apart the other names that reached
  // an address.
  std::vector<blockcheck::Leak> leaks;
  std::size_t reaching = 0;
  for (auto& leak : check->Leaks()) {
    if (std::find(others.begin(), others.end(), leak.name) == others.end()) {
      leaks.push_back(std::move(leak));
    } else if (!leak.address.empty()) {
      ++reaching;
    }
  }

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  struct stat file {};
  ::stat(argv[1], &file);
  const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
  std::printf("%zu blocked names and %zu other names of their sites in %.1f MiB\n", blocked,
              others.size(), static_cast<double>(file.st_size) / 1048576.0);
  std::printf("load %.2f s, check %.2f s; peak memory %.1f MiB (%.2fx the file)\n", load, checked,
              peak / 1048576.0, peak / static_cast<double>(file.st_size));
  std::printf(
      "looked up %zu names through the resolver, judged %zu from the file, left out %zu "
      "other names\n",
      summary.looked_up, summary.judged, summary.others_not_looked_up);
  std::printf("%zu leaks, %zu findings for the whole list, %zu other names still reaching a site\n",
              leaks.size(), summary.findings.size(), reaching);
  for (std::size_t i = 0; i < leaks.size() && i < 5; ++i) {
    std::printf("  %s %s %s: %s\n", leaks[i].name.c_str(),
                std::string(blockcheck::FamilyText(leaks[i].family)).c_str(),
                leaks[i].address.c_str(),
                std::string(blockcheck::LeakReasonText(leaks[i].reason)).c_str());
  }
  for (const auto& finding : summary.findings) {
    std::printf("  finding: %zu names, %s %s: %s\n", finding.names,
                std::string(blockcheck::FamilyText(finding.family)).c_str(),
                finding.address.c_str(),
                std::string(blockcheck::LeakReasonText(finding.reason)).c_str());
  }
  return 0;
}
