#include "hostsfile/keeper_report.h"

#include <charconv>

#include "rir/file_read.h"
#include "rir/path.h"

namespace hostsfile {

namespace {

constexpr std::string_view kHeading = "rir-avadera-put-back 1\n";
constexpr std::string_view kEnd = "end\n";

template <typename Number>
bool TakeNumber(std::string_view& text, std::string_view key, Number& value) {
  if (!text.starts_with(key) || text.size() <= key.size() || text[key.size()] != '=') {
    return false;
  }
  const char* first = text.data() + key.size() + 1;
  const char* last = text.data() + text.size();
  const auto [end, failure] = std::from_chars(first, last, value);
  if (failure != std::errc() || end == last || *end != '\n') {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end + 1 - text.data()));
  return true;
}

}  // namespace

std::string EncodeKeeperReport(const KeeperReport& report) {
  std::string text(kHeading);
  text += "count=" + std::to_string(report.count) + "\n";
  text += "wall=" + std::to_string(report.wall) + "\n";
  text += "removed=" + std::to_string(report.removed) + "\n";
  text += "allowed=" + std::to_string(report.allowed) + "\n";
  text += "partial=" + std::to_string(report.partial) + "\n";
  for (const std::string& name : report.names) {
    text += name + "\n";
  }
  text += kEnd;
  return text;
}

std::optional<KeeperReport> DecodeKeeperReport(std::string_view text) {
  if (!text.starts_with(kHeading) || !text.ends_with(kEnd)) {
    return std::nullopt;
  }
  text.remove_prefix(kHeading.size());
  text.remove_suffix(kEnd.size());
  KeeperReport report;
  if (!TakeNumber(text, "count", report.count) || !TakeNumber(text, "wall", report.wall) ||
      !TakeNumber(text, "removed", report.removed) ||
      !TakeNumber(text, "allowed", report.allowed) ||
      !TakeNumber(text, "partial", report.partial)) {
    return std::nullopt;
  }
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos) {
      return std::nullopt;  // the last name runs into the end line: not a report we wrote
    }
    report.names.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return report;
}

std::string KeeperReportPath(const std::string& folder) {
  return rir::FileInFolder(folder, "put-back");
}

std::string KeeperRunningPath(const std::string& folder) {
  return rir::FileInFolder(folder, "keeper.pid");
}

std::optional<KeeperReport> ReadKeeperReport(const std::string& folder) {
  auto text = rir::ReadSmallFile(KeeperReportPath(folder));
  if (!text || !*text) {
    return std::nullopt;
  }
  return DecodeKeeperReport(**text);
}

}  // namespace hostsfile
