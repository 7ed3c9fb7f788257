// The blocking check: which names are looked up, the lookups on worker threads, their time
// limits, and why a leak leaks.
//
// Which names. glibc reads the whole hosts file at every lookup, so a lookup's time grows with
// the file, and a check of every name of a long list with the square of the list (1,000 names
// took 0.16 s, 10,000 about 12 s, 100,000 some 20 minutes). The file is read once instead, and
// judges every name; the resolver is asked for every name of a list of at most
// `most_looked_up`, and of a longer one for a sample, enough to find what the file cannot show (a
// resolver that does not read it, a cache), which then holds for all.
//
// How long a sampled check takes. Each look-up costs a read of the whole file, and all of them
// share the check's time (`check_time`): the blocked names and the other names of the sites, both
// families. The least sample is looked up whole however long it takes, as without it nothing is
// known of the resolver; after it, a look-up starts only while the mean time of those done says
// that it ends within the check's time, and one that still runs at the end (a slow name server
// behind an other name) is given up rather than waited for: its name counts as not looked up,
// judged from the file like the rest, so what the check tells stays true.
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
#include <condition_variable>
#include <list>
#include <mutex>
#include <random>
#include <thread>

#include "addresses.h"
#include "block_check_system.h"
#include "hosts_facts.h"

namespace blockcheck {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kSupervisorTurn{100};
constexpr std::size_t kMostAbandoned = 64;
constexpr std::size_t kNoLookup = static_cast<std::size_t>(-1);
constexpr std::size_t kNotQueued = static_cast<std::size_t>(-1);

// The outcome of one lookup.
struct Outcome {
  bool decided = false;
  bool leaks = false;
  bool whole_list = false;  // its cause is not the name's own: the resolver's, or a cache's
  LeakReason reason = LeakReason::kUnknown;
  std::string address;
};

struct Worker {
  std::size_t lookup = kNoLookup;  // the lookup under way
  Clock::time_point deadline;
  bool abandoned = false;
  bool ended = false;
};

AddressFamily FamilyOf(std::size_t lookup) {
  return lookup % 2 == 0 ? AddressFamily::kIpv4 : AddressFamily::kIpv6;
}

}  // namespace

struct BlockCheck::Shared {
  std::vector<std::string> names;
  BlockCheckOptions options;
  LookupFunction look_up;
  std::size_t blocked = 0;  // the blocked names come first; the other names of the sites follow

  // What the files said at the start, and which names are looked up: made by the supervisor
  // before it starts the workers, then only read.
  detail::HostsFacts hosts;
  std::optional<bool> files_first;  // unset: not known (no nsswitch.conf to read)
  bool cache_runs = false;
  bool sampled = false;            // a long list: the names not queued are judged from the file
  std::vector<std::size_t> queue;  // the names to look up, in order
  std::vector<std::size_t> slot;   // each name's place in the queue, or kNotQueued
  std::size_t least_lookups = 0;   // lookups that the check's time never stops
  Clock::time_point ends;          // the end of the check's time, for a sampled check
  std::size_t parallel = 1;        // lookups under way at once

  mutable std::mutex mutex;
  std::condition_variable changed;
  std::vector<Outcome> outcomes;  // two per queued name: IPv4, then IPv6
  std::size_t next = 0;           // the next lookup to start
  std::size_t planned = 0;        // lookups to make: fewer once the check's time is spent
  std::size_t done = 0;
  std::size_t abandoned = 0;   // workers stuck in a lookup no longer wanted
  Clock::duration spent{};     // the time of the lookups decided, summed
  std::size_t timed = 0;       // and how many they were
  std::vector<bool> given_up;  // for each queued name: a lookup given up at the check's end
  std::list<Worker> workers;
  bool ready = false;  // the files read and the queue made
  bool cancelled = false;
  bool finished = false;

  std::thread supervisor;

  void ReadFacts();
  void Plan();
  bool MoreToStart(Clock::time_point now);
  void GiveUpAtTheEnd(Clock::time_point now);
  bool LookedUp(std::size_t name, std::size_t lookups) const;
  const detail::NameFacts* FactsOf(std::size_t name) const;
  Outcome ReasonFor(std::size_t lookup) const;
  void Decide(std::size_t lookup, const LookupAnswer& answer, Clock::duration took);
  std::vector<Leak> FileLeaks(std::size_t name) const;
  static void Work(const std::shared_ptr<Shared>& shared, Worker* me);
  static void Supervise(const std::shared_ptr<Shared>& shared);
};

const detail::NameFacts* BlockCheck::Shared::FactsOf(std::size_t name) const {
  return hosts.read && name < blocked ? &hosts.names[name] : nullptr;
}

// The order of the reasons: a line that maps the name elsewhere explains any family; then a
// resolver that does not read the file for that family; then, when the file does block the
// name for that family, a cache that may still hold an answer given before.
Outcome BlockCheck::Shared::ReasonFor(std::size_t lookup) const {
  const std::size_t family = lookup % 2;
  const detail::NameFacts* name = FactsOf(queue[lookup / 2]);
  Outcome outcome;
  if (name && name->earlier_elsewhere[family]) {
    outcome.reason = LeakReason::kEarlierHostsLine;
  } else if (files_first == false) {
    outcome.reason = LeakReason::kFileNotConsulted;
    outcome.whole_list = true;
  } else if (name && family == 1 && !name->blocked[1]) {
    // glibc reads only the file's IPv6 lines for an IPv6 lookup: with no IPv6 line that blocks
    // the name, the file has nothing to say and the next source is asked.
    outcome.reason = LeakReason::kFileNotConsulted;
  } else if (name && name->blocked[family] && cache_runs) {
    outcome.reason = LeakReason::kCachedAnswer;
    outcome.whole_list = true;
  }
  return outcome;
}

void BlockCheck::Shared::Decide(std::size_t lookup, const LookupAnswer& answer,
                                Clock::duration took) {
  Outcome& outcome = outcomes[lookup];
  outcome.decided = true;
  switch (answer.kind) {
    case LookupAnswer::Kind::kAddresses: {
      const auto leaking = std::find_if(answer.addresses.begin(), answer.addresses.end(),
                                        [](const std::string& a) { return !BlocksConnections(a); });
      if (leaking != answer.addresses.end()) {
        const Outcome why = ReasonFor(lookup);
        outcome.leaks = true;
        outcome.address = *leaking;
        outcome.reason = why.reason;
        outcome.whole_list = why.whole_list;
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
  spent += took;
  ++timed;
}

// Whether a worker may start the next lookup; once the next would end past the check's time, the
// lookups planned end with those under way.
bool BlockCheck::Shared::MoreToStart(Clock::time_point now) {
  const Clock::duration expected =
      timed == 0 ? Clock::duration{} : spent / static_cast<Clock::rep>(timed);
  if (sampled && next >= least_lookups && next < planned && now + expected > ends) {
    // A name's two lookups go together: one looked up for one family only would be judged on
    // half its answer.
    planned = std::min(planned, next + next % 2);
  }
  return !cancelled && next < planned;
}

// With the check's time spent, the lookups after the least sample that still run are given up,
// and the names they were for are left to the file, with a name whose second lookup has not
// started.
void BlockCheck::Shared::GiveUpAtTheEnd(Clock::time_point now) {
  if (!sampled || cancelled || now < ends) {
    return;
  }
  for (Worker& worker : workers) {
    if (!worker.abandoned && worker.lookup != kNoLookup && worker.lookup >= least_lookups) {
      given_up[worker.lookup / 2] = true;
      worker.abandoned = true;
      ++abandoned;
      ++done;
    }
  }
  if (next >= least_lookups && next < planned) {
    if (next % 2 == 1) {
      given_up[next / 2] = true;
    }
    planned = next;
  }
}

// Whether a name was looked up: its first lookup (`lookups` 1) or both (2) started, and neither
// given up.
bool BlockCheck::Shared::LookedUp(std::size_t name, std::size_t lookups) const {
  const std::size_t at = slot[name];
  return at != kNotQueued && 2 * at + lookups <= next && !given_up[at];
}

void BlockCheck::Shared::Work(const std::shared_ptr<Shared>& shared, Worker* me) {
  Shared& s = *shared;
  std::unique_lock lock(s.mutex);
  for (;;) {
    if (me->abandoned || !s.MoreToStart(Clock::now())) {
      break;
    }
    const std::size_t lookup = s.next++;
    const auto started = Clock::now();
    me->lookup = lookup;
    me->deadline = started + s.options.per_name;
    lock.unlock();
    LookupAnswer answer;
    try {
      answer = s.look_up(s.names[s.queue[lookup / 2]], FamilyOf(lookup));
    } catch (...) {
      answer.kind = LookupAnswer::Kind::kFailed;
    }
    lock.lock();
    if (me->abandoned) {
      --s.abandoned;  // its lookup was given up; what it found comes too late
      break;
    }
    s.Decide(lookup, answer, Clock::now() - started);
    me->lookup = kNoLookup;
    s.changed.notify_all();
  }
  me->ended = true;
  s.changed.notify_all();
}

// On the supervisor's thread, so that a check of a large file starts at once all the same.
void BlockCheck::Shared::ReadFacts() {
  if (!options.hosts_path.empty()) {
    hosts = detail::ReadHostsFacts(options.hosts_path, names);
  }
  if (!options.nsswitch_path.empty()) {
    files_first = detail::FilesComeFirst(options.nsswitch_path);
  }
  cache_runs = options.cache_runs ? *options.cache_runs : detail::CacheRuns();
}

// Which names to look up, in which order. A short list in a file of usual size: every one. A long
// one, or one in a large file (only when the file could be read, to judge the rest): the least
// sample first, so that what holds for all is found in any case; then the other names of the sites,
// which the file cannot judge; then the names the file shows leaking; then more of the sample,
// while the time lasts.
void BlockCheck::Shared::Plan() {
  sampled = hosts.read && (blocked > options.most_looked_up || hosts.bytes > options.large_file);
  // A look-up in a long file is a read of it, work for a processor: more at once than there are
  // processors take no less time together, and each of them takes longer, until the least sample
  // runs past its time limits on a busy machine.
  parallel = options.parallel;
  if (sampled) {
    parallel = std::min<std::size_t>(parallel, std::max(1U, std::thread::hardware_concurrency()));
  }
  if (!sampled) {
    queue.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      queue[i] = i;
    }
  } else {
    std::vector<std::size_t> drawn(blocked);
    for (std::size_t i = 0; i < blocked; ++i) {
      drawn[i] = i;
    }
    std::mt19937_64 random{std::random_device{}()};
    const std::size_t sample = std::min(options.most_looked_up, blocked);
    for (std::size_t i = 0; i < sample; ++i) {
      std::swap(drawn[i],
                drawn[std::uniform_int_distribution<std::size_t>(i, blocked - 1)(random)]);
    }
    slot.assign(names.size(), kNotQueued);
    const auto add = [&](std::size_t name) {
      if (slot[name] == kNotQueued &&
          queue.size() < options.most_looked_up + names.size() - blocked) {
        slot[name] = queue.size();
        queue.push_back(name);
      }
    };
    const std::size_t least = std::min(options.least_sample, sample);
    for (std::size_t i = 0; i < least; ++i) {
      add(drawn[i]);
    }
    least_lookups = 2 * queue.size();
    for (std::size_t name = blocked; name < names.size(); ++name) {
      add(name);
    }
    for (std::size_t name = 0; name < blocked; ++name) {
      const detail::NameFacts& facts = hosts.names[name];
      if (facts.earlier_elsewhere[0] || facts.earlier_elsewhere[1] || !facts.blocked[0] ||
          !facts.blocked[1]) {
        add(name);
      }
    }
    for (std::size_t i = least; i < sample; ++i) {
      add(drawn[i]);
    }
  }
  if (slot.empty()) {
    slot.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      slot[i] = i;
    }
  }
  const std::lock_guard lock(mutex);
  outcomes.resize(2 * queue.size());
  given_up.resize(queue.size());
  planned = outcomes.size();
  ready = true;
}

void BlockCheck::Shared::Supervise(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  s.ReadFacts();
  s.Plan();
  std::unique_lock lock(s.mutex);
  for (;;) {
    const auto now = Clock::now();
    auto wake = now + kSupervisorTurn;
    s.GiveUpAtTheEnd(now);
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
          s.Decide(worker->lookup, LookupAnswer{LookupAnswer::Kind::kNoAnswer, {}},
                   s.options.per_name);
          worker->abandoned = true;
          ++s.abandoned;
        } else {
          wake = std::min(wake, worker->deadline);
          if (s.sampled && s.ends > now && worker->lookup >= s.least_lookups) {
            wake = std::min(wake, s.ends);
          }
        }
      }
      if (!worker->abandoned) {
        ++running;
      }
      ++worker;
    }
    const bool nothing_left = !s.MoreToStart(now);
    if (nothing_left && running == 0) {
      break;
    }
    while (!nothing_left && running < s.parallel && s.abandoned < kMostAbandoned &&
           running < s.planned - s.next) {
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

// What the file shows of a blocked name that was not looked up.
std::vector<Leak> BlockCheck::Shared::FileLeaks(std::size_t name) const {
  std::vector<Leak> leaks;
  const detail::NameFacts* facts = FactsOf(name);
  if (facts == nullptr) {
    return leaks;
  }
  for (std::size_t family = 0; family < 2; ++family) {
    const AddressFamily which = family == 0 ? AddressFamily::kIpv4 : AddressFamily::kIpv6;
    if (facts->earlier_elsewhere[family]) {
      leaks.push_back(Leak{names[name], which, hosts.addresses[facts->earlier_address[family]],
                           LeakReason::kEarlierHostsLine, facts->earlier_line[family]});
    } else if (!facts->blocked[family]) {
      // No line blocks it for this family: the resolver goes on to its next source.
      leaks.push_back(Leak{names[name],
                           which,
                           {},
                           facts->blocked[0] ? LeakReason::kFileNotConsulted : LeakReason::kUnknown,
                           0});
    }
  }
  return leaks;
}

BlockCheck::BlockCheck(std::vector<std::string> names, BlockCheckOptions options)
    : shared_(std::make_shared<Shared>()) {
  Shared& s = *shared_;
  s.names = std::move(names);
  s.options = std::move(options);
  s.options.parallel = std::max<std::size_t>(s.options.parallel, 1);
  s.blocked = std::min(s.options.first_other, s.names.size());
  s.look_up = s.options.lookup ? s.options.lookup : LookupFunction(SystemLookup);
  s.ends = Clock::now() + s.options.check_time;
  // Until the files are read, as many lookups as a look-up of every name makes.
  s.planned = 2 * s.names.size();
  detail::PrepareLookups();
  s.supervisor = std::thread([shared = shared_] { Shared::Supervise(shared); });
}

BlockCheck::~BlockCheck() {
  Cancel();
  shared_->supervisor.join();
}

BlockCheckProgress BlockCheck::progress() const {
  const std::lock_guard lock(shared_->mutex);
  return BlockCheckProgress{shared_->done, shared_->planned, shared_->finished, shared_->cancelled};
}

void BlockCheck::Cancel() {
  const std::lock_guard lock(shared_->mutex);
  if (!shared_->finished) {
    shared_->cancelled = true;
  }
  shared_->changed.notify_all();
}

std::vector<Leak> BlockCheck::Leaks() const {
  const Shared& s = *shared_;
  const std::lock_guard lock(s.mutex);
  std::vector<Leak> leaks;
  if (!s.ready) {
    return leaks;
  }
  for (std::size_t name = 0; name < s.names.size(); ++name) {
    const std::size_t at = s.slot[name];
    // Either lookup started: a check cancelled between a name's two still tells what the first
    // found.
    if (!s.LookedUp(name, 1)) {
      if (s.sampled && !s.cancelled) {
        const std::vector<Leak> shown = s.FileLeaks(name);
        leaks.insert(leaks.end(), shown.begin(), shown.end());
      }
      continue;
    }
    for (std::size_t lookup = 2 * at; lookup < 2 * at + 2; ++lookup) {
      const Outcome& outcome = s.outcomes[lookup];
      if (!outcome.decided || !outcome.leaks || (s.sampled && outcome.whole_list)) {
        continue;
      }
      const detail::NameFacts* facts = s.FactsOf(name);
      const std::size_t family = lookup % 2;
      const bool earlier = outcome.reason == LeakReason::kEarlierHostsLine && facts != nullptr;
      leaks.push_back(Leak{s.names[name], FamilyOf(lookup), outcome.address, outcome.reason,
                           earlier ? facts->earlier_line[family] : 0});
    }
  }
  return leaks;
}

CheckSummary BlockCheck::Summary() const {
  const Shared& s = *shared_;
  const std::lock_guard lock(s.mutex);
  CheckSummary summary;
  if (!s.ready) {
    return summary;
  }
  for (std::size_t name = 0; name < s.names.size(); ++name) {
    const bool looked_up = s.LookedUp(name, 2);
    summary.looked_up += looked_up ? 1 : 0;
    if (!looked_up && name < s.blocked) {
      summary.judged += s.sampled ? 1 : 0;
    } else if (!looked_up) {
      ++summary.others_not_looked_up;
    }
  }
  if (!s.sampled) {
    return summary;
  }
  // A cause that is not the names' own, found once, holds for every name it can reach.
  for (std::size_t lookup = 0; lookup < s.next && lookup < s.outcomes.size(); ++lookup) {
    const Outcome& outcome = s.outcomes[lookup];
    const std::size_t name = s.queue[lookup / 2];
    if (!outcome.decided || !outcome.whole_list || name >= s.blocked) {
      continue;
    }
    const AddressFamily family = FamilyOf(lookup);
    const bool known = std::any_of(
        summary.findings.begin(), summary.findings.end(),
        [&](const Finding& f) { return f.reason == outcome.reason && f.family == family; });
    if (known) {
      continue;
    }
    Finding finding{outcome.reason, family, 0, s.names[name], outcome.address};
    for (std::size_t other = 0; other < s.blocked; ++other) {
      const detail::NameFacts& facts = s.hosts.names[other];
      const std::size_t f = lookup % 2;
      if (outcome.reason == LeakReason::kFileNotConsulted ||
          (facts.blocked[f] && !facts.earlier_elsewhere[f])) {
        ++finding.names;
      }
    }
    summary.findings.push_back(std::move(finding));
  }
  return summary;
}

bool BlocksConnections(std::string_view text) {
  const auto address = detail::ParseAddress(text);
  return address && detail::Blocks(*address);
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
