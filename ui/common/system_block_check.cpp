#include "ui/common/system_block_check.h"

#include <utility>

namespace ui {

namespace {

blockcheck::BlockCheckOptions OptionsFor(std::size_t first_other, const std::string& hosts_path) {
  blockcheck::BlockCheckOptions options;
  options.first_other = first_other;
  options.hosts_path = hosts_path;
  return options;
}

class SystemBlockCheck final : public BlockCheckRun {
 public:
  SystemBlockCheck(std::vector<std::string> names, std::size_t first_other,
                   const std::string& hosts_path)
      : check_(std::move(names), OptionsFor(first_other, hosts_path)) {}

  blockcheck::BlockCheckProgress progress() const override { return check_.progress(); }
  void Cancel() override { check_.Cancel(); }
  std::vector<blockcheck::Leak> Leaks() const override { return check_.Leaks(); }
  blockcheck::CheckSummary Summary() const override { return check_.Summary(); }

 private:
  blockcheck::BlockCheck check_;
};

}  // namespace

std::unique_ptr<BlockCheckRun> StartSystemBlockCheck(std::vector<std::string> names,
                                                     std::size_t first_other,
                                                     const std::string& hosts_path) {
  return std::make_unique<SystemBlockCheck>(std::move(names), first_other, hosts_path);
}

}  // namespace ui
