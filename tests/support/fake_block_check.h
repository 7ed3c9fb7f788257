// A blocking check that needs no resolver: the names it is told are leaking leak for IPv6, and
// it can stop part way and wait for Cancel, as a long check does.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "ui/common/platform_services.h"

namespace testsupport {

class FakeBlockCheck : public ui::BlockCheckRun {
 public:
  static constexpr std::string_view kAddress = "2001:db8::1";

  // `stop_after`: the look-ups done before it waits for Cancel; all of them by default.
  FakeBlockCheck(const std::vector<std::string>& names, const std::vector<std::string>& leaking,
                 std::size_t stop_after = static_cast<std::size_t>(-1),
                 blockcheck::CheckSummary summary = {})
      : summary_(std::move(summary)) {
    progress_.total = 2 * names.size();
    progress_.done = std::min(progress_.total, stop_after);
    progress_.finished = progress_.done == progress_.total;
    for (std::size_t i = 0; i < names.size() && 2 * i < progress_.done; ++i) {
      if (std::find(leaking.begin(), leaking.end(), names[i]) != leaking.end()) {
        leaks_.push_back({names[i], blockcheck::AddressFamily::kIpv6, std::string(kAddress),
                          blockcheck::LeakReason::kFileNotConsulted});
      }
    }
  }

  blockcheck::BlockCheckProgress progress() const override { return progress_; }
  void Cancel() override {
    if (!progress_.finished) {
      progress_.finished = true;
      progress_.cancelled = true;
    }
  }
  std::vector<blockcheck::Leak> Leaks() const override { return leaks_; }
  blockcheck::CheckSummary Summary() const override { return summary_; }

 private:
  blockcheck::CheckSummary summary_;
  blockcheck::BlockCheckProgress progress_;
  std::vector<blockcheck::Leak> leaks_;
};

}  // namespace testsupport
