// The blocking check: the lookups on worker threads, their time limits, and why a leak leaks.
//
// How the time is bounded. Neither getaddrinfo nor GetAddrInfoW can be interrupted, and a lookup
// that waits on a silent DNS server takes as long as the resolver's own timeouts (5 s times 2
// tries per server by default, again for each search domain). So each lookup runs on a worker
// thread, and a supervisor thread watches the clock: a lookup past its time limit is reported
// kTimedOut at once, its worker is abandoned (it ends by itself when the system call returns,
// and its answer is thrown away), and a fresh worker takes its place, so `parallel` lookups stay
// under way. Cancel abandons every lookup under way the same moment; the workers between lookups
// end at once, so the check is finished within one turn of the supervisor (at most
// kSupervisorTurn). The workers are detached and hold the shared state themselves; only the
// supervisor is joined.
//
// glibc's getaddrinfo_a would bound the waiting as well, but gai_cancel cannot stop a request
// that has begun either, and its requests must stay in memory until they end: it abandons
// lookups no better, and Windows would need another way all the same.
//
// Abandoned workers are limited (kMostAbandoned): when that many are stuck, no more are started
// until one comes back, so a resolver that never answers costs a bounded number of threads,
// and progress goes at the pace at which the system gives up.
#include "blockcheck/block_check.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <fstream>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "block_check_system.h"
#include "hostsfile/hosts_format.h"

namespace blockcheck {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kSupervisorTurn{100};
constexpr std::size_t kMostAbandoned = 64;
constexpr std::size_t kNoLookup = static_cast<std::size_t>(-1);
constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

std::size_t FamilyIndex(AddressFamily family) {
  return family == AddressFamily::kIpv4 ? 0 : 1;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerText(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return lower;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The words of `line` up to a '#'.
std::vector<std::string_view> Words(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) {
      ++at;
    }
    const std::size_t start = at;
    while (at < line.size() && !IsBlank(line[at])) {
      ++at;
    }
    if (at > start) {
      words.push_back(line.substr(start, at - start));
    }
  }
  return words;
}

struct ParsedAddress {
  AddressFamily family = AddressFamily::kIpv4;
  std::array<unsigned char, 16> bytes{};  // IPv4 in the first four
};

// Through the system's own parser, as the resolver reads the hosts file. A zone ("%eth0") is
// dropped: it says which link, not which address.
std::optional<ParsedAddress> ParseAddress(std::string_view text) {
  ParsedAddress address;
  const std::string whole(text);
  if (detail::ReadIpv4(whole, address.bytes.data())) {
    return address;
  }
  address.family = AddressFamily::kIpv6;
  if (detail::ReadIpv6(whole.substr(0, whole.find('%')), address.bytes.data())) {
    return address;
  }
  return std::nullopt;
}

bool Ipv4Blocks(const unsigned char* bytes) {
  return bytes[0] == 127 || (bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0);
}

bool Blocks(const ParsedAddress& address) {
  const auto& b = address.bytes;
  if (address.family == AddressFamily::kIpv4) {
    return Ipv4Blocks(b.data());
  }
  const bool ten_zeros =
      std::all_of(b.begin(), b.begin() + 10, [](unsigned char x) { return x == 0; });
  if (ten_zeros && b[10] == 0xff && b[11] == 0xff) {
    return Ipv4Blocks(b.data() + 12);  // ::ffff:127.0.0.1
  }
  const bool fifteen_zeros =
      ten_zeros && std::all_of(b.begin() + 10, b.begin() + 15, [](auto x) { return x == 0; });
  return fifteen_zeros && (b[15] == 0 || b[15] == 1);  // :: and ::1
}

// What the hosts file says of one of the names checked.
struct NameFacts {
  std::size_t first_own_line = kNoLine;     // the first line of ours for it, blocked or allowed
  std::array<bool, 2> earlier_elsewhere{};  // per family: mapped elsewhere before that line
  std::array<bool, 2> blocked{};            // per family: some line maps it to loopback
};

// The line of ours for a name: "127.0.0.1 \tname" or "::1 \tname" (with the name's absolute form
// after it, or not), either after '#' too.
std::optional<std::string_view> OwnLineName(std::string_view line) {
  for (const std::string_view prefix :
       {hostsfile::kBlockedPrefix, hostsfile::kAllowedPrefix, hostsfile::kBlockedIpv6Prefix,
        hostsfile::kAllowedIpv6Prefix}) {
    if (line.starts_with(prefix)) {
      return hostsfile::EntryName(line.substr(prefix.size()));
    }
  }
  return std::nullopt;
}

// Reads the hosts file once, line by line, and notes what it says of the names checked.
// False when it cannot be read.
bool ReadHostsFacts(const std::string& path,
                    const std::unordered_map<std::string, std::size_t>& index,
                    std::vector<NameFacts>& facts) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::string line;
  for (std::size_t number = 0; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (const auto own = OwnLineName(line)) {
      if (const auto found = index.find(LowerText(*own)); found != index.end()) {
        NameFacts& name = facts[found->second];
        name.first_own_line = std::min(name.first_own_line, number);
      }
    }
    const auto words = Words(line);
    if (words.size() < 2) {
      continue;
    }
    const auto address = ParseAddress(words[0]);
    if (!address) {
      continue;
    }
    const std::size_t family = FamilyIndex(address->family);
    const bool blocks = Blocks(*address);
    for (std::size_t w = 1; w < words.size(); ++w) {
      const auto found = index.find(LowerText(words[w]));
      if (found == index.end()) {
        continue;
      }
      NameFacts& name = facts[found->second];
      if (blocks) {
        name.blocked[family] = true;
      } else if (name.first_own_line == kNoLine) {
        name.earlier_elsewhere[family] = true;
      }
    }
  }
  return true;
}

// Whether the "hosts:" line of nsswitch.conf names `files` first. glibc takes
// "dns [!UNAVAIL=return] files" when there is no such line or no file.
bool FilesComeFirst(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const auto words = Words(line);
    if (!words.empty() && words[0] == "hosts:") {
      return words.size() > 1 && words[1] == "files";
    }
  }
  return false;
}

// The outcome of one lookup.
struct Outcome {
  bool decided = false;
  bool leaks = false;
  LeakReason reason = LeakReason::kUnknown;  // before the file's facts are weighed
  std::string address;
};

struct Worker {
  std::size_t lookup = kNoLookup;  // the lookup under way
  Clock::time_point deadline;
  bool abandoned = false;
  bool ended = false;
};

}  // namespace

struct BlockCheck::Shared {
  std::vector<std::string> names;
  BlockCheckOptions options;
  LookupFunction look_up;

  // What the files said at the start: read by the supervisor before it starts the workers, then
  // only read.
  bool hosts_read = false;
  std::vector<NameFacts> facts;
  std::optional<bool> files_first;  // unset: not known (no nsswitch.conf to read)
  bool cache_runs = false;

  mutable std::mutex mutex;
  std::condition_variable changed;
  std::vector<Outcome> outcomes;  // two per name: IPv4, then IPv6
  std::size_t next = 0;           // the next lookup to start
  std::size_t done = 0;
  std::size_t abandoned = 0;  // workers stuck in a lookup no longer wanted
  std::list<Worker> workers;
  bool cancelled = false;
  bool finished = false;

  std::thread supervisor;

  void ReadFacts();
  LeakReason ReasonFor(std::size_t lookup) const;
  void Decide(std::size_t lookup, const LookupAnswer& answer);
  static void Work(const std::shared_ptr<Shared>& shared, Worker* me);
  static void Supervise(const std::shared_ptr<Shared>& shared);
};

// The order of the reasons: a line that maps the name elsewhere explains any family; then a
// resolver that does not read the file for that family; then, when the file does block the
// name for that family, a cache that may still hold an answer given before.
LeakReason BlockCheck::Shared::ReasonFor(std::size_t lookup) const {
  const std::size_t family = lookup % 2;
  const NameFacts* name = hosts_read ? &facts[lookup / 2] : nullptr;
  if (name && name->earlier_elsewhere[family]) {
    return LeakReason::kEarlierHostsLine;
  }
  if (files_first == false) {
    return LeakReason::kFileNotConsulted;
  }
  // glibc reads only the file's IPv6 lines for an IPv6 lookup: with no IPv6 line that blocks the
  // name, the file has nothing to say and the next source is asked.
  if (name && family == 1 && !name->blocked[1]) {
    return LeakReason::kFileNotConsulted;
  }
  if (name && name->blocked[family] && cache_runs) {
    return LeakReason::kCachedAnswer;
  }
  return LeakReason::kUnknown;
}

void BlockCheck::Shared::Decide(std::size_t lookup, const LookupAnswer& answer) {
  Outcome& outcome = outcomes[lookup];
  outcome.decided = true;
  switch (answer.kind) {
    case LookupAnswer::Kind::kAddresses: {
      const auto leaking = std::find_if(answer.addresses.begin(), answer.addresses.end(),
                                        [](const std::string& a) { return !BlocksConnections(a); });
      if (leaking != answer.addresses.end()) {
        outcome.leaks = true;
        outcome.address = *leaking;
        outcome.reason = ReasonFor(lookup);
      }
      break;
    }
    case LookupAnswer::Kind::kNoAddress:
      break;  // nothing of this family to reach
    case LookupAnswer::Kind::kNoAnswer:
      outcome.leaks = true;
      outcome.reason = LeakReason::kTimedOut;
      break;
    case LookupAnswer::Kind::kFailed:
      outcome.leaks = true;
      outcome.reason = LeakReason::kUnknown;
      break;
  }
  ++done;
}

void BlockCheck::Shared::Work(const std::shared_ptr<Shared>& shared, Worker* me) {
  Shared& s = *shared;
  std::unique_lock lock(s.mutex);
  for (;;) {
    if (me->abandoned || s.cancelled || s.next == s.outcomes.size()) {
      break;
    }
    const std::size_t lookup = s.next++;
    me->lookup = lookup;
    me->deadline = Clock::now() + s.options.per_name;
    lock.unlock();
    LookupAnswer answer;
    try {
      answer = s.look_up(s.names[lookup / 2],
                         lookup % 2 == 0 ? AddressFamily::kIpv4 : AddressFamily::kIpv6);
    } catch (...) {
      answer.kind = LookupAnswer::Kind::kFailed;
    }
    lock.lock();
    if (me->abandoned) {
      --s.abandoned;  // its lookup was given up; what it found comes too late
      break;
    }
    s.Decide(lookup, answer);
    me->lookup = kNoLookup;
    s.changed.notify_all();
  }
  me->ended = true;
  s.changed.notify_all();
}

// On the supervisor's thread, so that a check of a large file starts at once all the same.
void BlockCheck::Shared::ReadFacts() {
  if (!options.hosts_path.empty()) {
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < names.size(); ++i) {
      index.emplace(LowerText(names[i]), i);  // a name given twice: the facts go to the first
    }
    facts.resize(names.size());
    hosts_read = ReadHostsFacts(options.hosts_path, index, facts);
    // Each name given twice shares what was found for the first.
    for (std::size_t i = 0; i < names.size(); ++i) {
      facts[i] = facts[index.at(LowerText(names[i]))];
    }
  }
  if (!options.nsswitch_path.empty()) {
    files_first = FilesComeFirst(options.nsswitch_path);
  }
  cache_runs = options.cache_runs ? *options.cache_runs : detail::CacheRuns();
}

void BlockCheck::Shared::Supervise(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  s.ReadFacts();
  std::unique_lock lock(s.mutex);
  for (;;) {
    const auto now = Clock::now();
    auto wake = now + kSupervisorTurn;
    std::size_t running = 0;
    for (auto worker = s.workers.begin(); worker != s.workers.end();) {
      if (worker->ended) {
        worker = s.workers.erase(worker);
        continue;
      }
      if (!worker->abandoned && worker->lookup != kNoLookup) {
        if (s.cancelled) {
          worker->abandoned = true;
          ++s.abandoned;
        } else if (worker->deadline <= now) {
          s.Decide(worker->lookup, LookupAnswer{LookupAnswer::Kind::kNoAnswer, {}});
          worker->abandoned = true;
          ++s.abandoned;
        } else {
          wake = std::min(wake, worker->deadline);
        }
      }
      if (!worker->abandoned) {
        ++running;
      }
      ++worker;
    }
    const bool nothing_left = s.cancelled || s.next == s.outcomes.size();
    if (nothing_left && running == 0) {
      break;
    }
    while (!nothing_left && running < s.options.parallel && s.abandoned < kMostAbandoned &&
           running < s.outcomes.size() - s.next) {
      Worker& worker = s.workers.emplace_back();
      try {
        std::thread([shared, &worker] { Work(shared, &worker); }).detach();
      } catch (const std::system_error&) {
        s.workers.pop_back();
        if (running == 0 && s.abandoned == 0) {
          s.cancelled = true;  // no thread can be had: stop rather than wait for ever
        }
        break;
      }
      ++running;
    }
    s.changed.wait_until(lock, wake);
  }
  s.finished = true;
}

BlockCheck::BlockCheck(std::vector<std::string> names, BlockCheckOptions options)
    : shared_(std::make_shared<Shared>()) {
  Shared& s = *shared_;
  s.names = std::move(names);
  s.options = std::move(options);
  s.options.parallel = std::max<std::size_t>(s.options.parallel, 1);
  s.look_up = s.options.lookup ? s.options.lookup : LookupFunction(SystemLookup);
  s.outcomes.resize(2 * s.names.size());
  detail::PrepareLookups();
  s.supervisor = std::thread([shared = shared_] { Shared::Supervise(shared); });
}

BlockCheck::~BlockCheck() {
  Cancel();
  shared_->supervisor.join();
}

BlockCheckProgress BlockCheck::progress() const {
  const std::lock_guard lock(shared_->mutex);
  return BlockCheckProgress{shared_->done, shared_->outcomes.size(), shared_->finished,
                            shared_->cancelled};
}

void BlockCheck::Cancel() {
  const std::lock_guard lock(shared_->mutex);
  if (!shared_->finished) {
    shared_->cancelled = true;
  }
  shared_->changed.notify_all();
}

std::vector<Leak> BlockCheck::Leaks() const {
  const std::lock_guard lock(shared_->mutex);
  std::vector<Leak> leaks;
  for (std::size_t lookup = 0; lookup < shared_->outcomes.size(); ++lookup) {
    const Outcome& outcome = shared_->outcomes[lookup];
    if (outcome.decided && outcome.leaks) {
      leaks.push_back(Leak{shared_->names[lookup / 2],
                           lookup % 2 == 0 ? AddressFamily::kIpv4 : AddressFamily::kIpv6,
                           outcome.address, outcome.reason});
    }
  }
  return leaks;
}

bool BlocksConnections(std::string_view text) {
  const auto address = ParseAddress(text);
  return address && Blocks(*address);
}

std::string_view FamilyText(AddressFamily family) {
  return family == AddressFamily::kIpv4 ? "IPv4" : "IPv6";
}

std::string_view LeakReasonText(LeakReason reason) {
  switch (reason) {
    case LeakReason::kEarlierHostsLine:
      return "another line of the hosts file comes first";
    case LeakReason::kCachedAnswer:
      return "an answer kept from before (a cache)";
    case LeakReason::kFileNotConsulted:
      return "the system's resolver does not read the hosts file";
    case LeakReason::kTimedOut:
      return "no answer in time";
    case LeakReason::kUnknown:
      break;
  }
  return "not known";
}

}  // namespace blockcheck
