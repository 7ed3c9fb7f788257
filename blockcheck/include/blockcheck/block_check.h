// Whether the blocks hold. The hosts file is read once and every name is judged from it (a line
// before ours that maps it elsewhere is a leak, with its line), and the names are looked up
// through the system's own resolver, for IPv4 and IPv6, to see what the file cannot show: a
// resolver that does not read it, a cache. The resolver reads the whole file again at every
// look-up, so a long list is looked up only in part (a sample, within a time), the rest judged
// from the file; a cause found in the sample that is not the names' own is then told once for
// the whole list. The look-ups run on worker threads, several at once, each with a time limit,
// so that the window stays responsive and the user can stop the check.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blockcheck {

enum class AddressFamily : std::uint8_t { kIpv4, kIpv6 };

// Why a name was not blocked, as far as the check can tell.
enum class LeakReason : std::uint8_t {
  kUnknown,           // it resolves elsewhere and nothing tells why
  kEarlierHostsLine,  // a line of the hosts file before ours maps the name elsewhere
  kCachedAnswer,      // the file maps it to loopback, yet an answer from before is given
  kFileNotConsulted,  // the system's resolver does not read the hosts file for this family
  kTimedOut,          // no answer within the time limit: not known to be blocked
};

// A name that did not resolve to loopback for one family.
struct Leak {
  std::string name;
  AddressFamily family = AddressFamily::kIpv4;
  std::string address;  // the first address it resolved to that does not block, as text; empty
                        // when no answer came
  LeakReason reason = LeakReason::kUnknown;
  std::size_t line = 0;  // kEarlierHostsLine: that line of the hosts file (from 1), where known
};

// A cause of leaks that is not the names' own (the resolver does not read the hosts file, a
// cache), found among the names looked up in a check of a long list: one finding for all the
// names it covers, rather than a leak for each.
struct Finding {
  LeakReason reason = LeakReason::kUnknown;
  AddressFamily family = AddressFamily::kIpv4;
  std::size_t names = 0;  // the names it covers
  std::string example;    // one of them, looked up
  std::string address;    // where that one led
};

// How a check went, once it is finished.
struct CheckSummary {
  std::size_t looked_up = 0;             // names asked of the resolver (blocked names and others)
  std::size_t judged = 0;                // blocked names judged from the hosts file alone
  std::size_t others_not_looked_up = 0;  // other names left out when the time was spent
  std::vector<Finding> findings;
};

// What one lookup of one name for one family gave.
struct LookupAnswer {
  enum class Kind : std::uint8_t {
    kAddresses,  // the addresses below
    kNoAddress,  // the name has no address of this family: nothing to reach
    kNoAnswer,   // the resolver gave up waiting for its servers
    kFailed,     // any other failure
  };
  Kind kind = Kind::kNoAddress;
  std::vector<std::string> addresses;  // numeric, as text ("127.0.0.1", "::1")
};

// Looks one name up; it may block for as long as the system takes.
using LookupFunction = std::function<LookupAnswer(const std::string& name, AddressFamily family)>;

// Where the system lists the sources it asks for names; nothing on Windows.
#ifdef _WIN32
inline constexpr std::string_view kNsswitchPath;
#else
inline constexpr std::string_view kNsswitchPath = "/etc/nsswitch.conf";
#endif

struct BlockCheckOptions {
  // Lookups under way at once; in a sampled check no more than there are processors.
  std::size_t parallel = 16;
  std::chrono::milliseconds per_name{5000};  // the time one lookup may take
  // The names from this place on are not blocked names but other names of the same sites, which
  // the hosts file does not hold: they are only looked up, never judged from the file.
  std::size_t first_other = static_cast<std::size_t>(-1);
  // A check of more blocked names than this, or over a hosts file larger than `large_file` (the
  // resolver reads all of it at every look-up), looks up only a sample of them: the first
  // `least_sample` names drawn at random, then the other names, then the names the file marked
  // (a leak it shows), then more drawn names up to `most_looked_up`; the others are judged from
  // the file. All its look-ups share `check_time`, from the start of the check: the least sample
  // is looked up whole whatever it takes, as it shows what holds for all; after it a look-up
  // starts only when the look-ups so far say it ends in the time left, and one still under way
  // when the time is spent is given up, its name not looked up.
  std::size_t most_looked_up = 2000;
  std::size_t large_file = std::size_t{16} << 20;
  // One name, for both families: an answer that the file gives shows that the resolver reads it,
  // and at 1,000,000 names each look-up costs a quarter of a second of a processor.
  std::size_t least_sample = 1;
  std::chrono::milliseconds check_time{3500};
  std::string hosts_path;  // read once at the start, for the reasons; may be empty
  std::string nsswitch_path{kNsswitchPath};  // read once for kFileNotConsulted; may be empty
  // Whether a cache of earlier answers runs; unset: as the system shows it (the
  // systemd-resolved or nscd socket is there; on Windows the DNS Client always runs).
  std::optional<bool> cache_runs;
  // The lookup; unset: the system's resolver (getaddrinfo, GetAddrInfoW). Tests give their own.
  LookupFunction lookup;
};

// How far a check has come. Safe to read from any thread.
struct BlockCheckProgress {
  std::size_t done = 0;   // lookups finished (two for each name: IPv4 and IPv6)
  std::size_t total = 0;  // lookups to do
  bool finished = false;  // every lookup done, or the check cancelled and its threads gone
  bool cancelled = false;
};

// A check under way. Starting it returns at once; the lookups run on threads of its own.
// Destroying it cancels what is left and waits for its threads (a lookup that is stuck in the
// system is abandoned, not waited for).
class BlockCheck {
 public:
  BlockCheck(std::vector<std::string> names, BlockCheckOptions options);
  BlockCheck(const BlockCheck&) = delete;
  BlockCheck& operator=(const BlockCheck&) = delete;
  ~BlockCheck();

  BlockCheckProgress progress() const;
  void Cancel();
  // The leaks found so far, in the order of the names given, IPv4 before IPv6 for one name:
  // those the look-ups found (but those told as a finding) and those the file shows. Complete
  // once progress().finished is true (and cancelled is not).
  std::vector<Leak> Leaks() const;
  CheckSummary Summary() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// The system's own lookup, as the check makes it when the options give none: every address
// of `family` that the resolver gives for `name`.
LookupAnswer SystemLookup(const std::string& name, AddressFamily family);

// Whether the address `text` stops a connection: loopback (127.0.0.0/8, ::1, and the same as
// IPv4 in IPv6) or unspecified (0.0.0.0, ::), where a connection reaches this machine or fails.
// False for what is no address.
bool BlocksConnections(std::string_view text);

// "IPv4" or "IPv6"; and a short text of why, for people.
std::string_view FamilyText(AddressFamily family);
std::string_view LeakReasonText(LeakReason reason);

}  // namespace blockcheck
