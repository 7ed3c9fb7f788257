// The whole site, not one name: what a typed name blocks with it, and the names of the same site
// that the check finds still reaching it, looked up through the real resolver in a private
// network whose DNS server answers every name.
#include <gtest/gtest.h>
#include <netdb.h>

#include <algorithm>

#include "blockcheck/block_check.h"
#include "child_checks.h"
#include "fake_dns.h"
#include "private_mount.h"
#include "program.h"
#include "temp_folder.h"

namespace {

// Whether getaddrinfo gives `name` an address that reaches anything, for either family.
bool Reaches(const std::string& name) {
  for (const int family : {AF_INET, AF_INET6}) {
    addrinfo hints{};
    hints.ai_family = family;
    addrinfo* list = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) {
      continue;
    }
    char text[NI_MAXHOST] = {};
    const bool reaches = getnameinfo(list->ai_addr, list->ai_addrlen, text, sizeof text, nullptr, 0,
                                     NI_NUMERICHOST) == 0 &&
                         !blockcheck::BlocksConnections(text);
    freeaddrinfo(list);
    if (reaches) {
      return true;
    }
  }
  return false;
}

TEST(SiteNames, ATypedNameBlocksItsWwwAndDottedFormsAndBlockTheseTooTheMobileOnes) {
  fakes::Program program;
  program.services.system_check = true;
  program.WriteHosts("127.0.0.1 localhost\n");
  const int code = testsupport::WithFakeDns(
      program.hosts_path, testsupport::FakeDnsServer::Mode::kAnswer, [&](const auto&) {
        testsupport::ChildChecks check;
        check(Reaches("m.example.com"), "the fake server answers every name");
        program.WriteState("[settings]\r\nfirstrun=true\r\n");
        program.Start("/etc/hosts");  // the bound file, which a save rewrites in place
        program.AddWebsite("example.com");
        program.AddWebsite("news.example.co.uk");
        check(program.main_view().Rows() == std::vector<std::string>{"example.com\tBlocked",
                                                                     "www.example.com\tBlocked",
                                                                     "news.example.co.uk\tBlocked"},
              "the companion follows the name typed, and a deeper subdomain comes alone");
        program.services.picks.push_back(fakes::Pick({1, 2}));  // "Block These Too"
        program.Main().imgApply_Click();
        const auto& choice = program.services.choices.at(0);
        check(choice.choose_button == "Block These Too", "the check offers the other names");
        check(choice.rows.size() == 3 &&
                  choice.rows.at(0).at(0) == "Also reachable, not in the list" &&
                  choice.rows.at(1).at(0) == "m.example.com",
              "listed apart, the mobile name first, nothing guessed for the subdomain");
        program.Main().imgApply_Click();
        check(program.services.choices.size() == 1, "nothing guessed for the mobile names");
        for (const char* name : {"example.com", "example.com.", "www.example.com",
                                 "www.example.com.", "m.example.com", "mobile.example.com"}) {
          check(!Reaches(name), name);  // reaches nothing, for either family
        }
        return check.failures();
      });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

TEST(SiteNames, BlocksOnlyTheNamesLeftPickedAndCommentsOutALineThatComesFirst) {
  fakes::Program program;
  program.services.system_check = true;
  program.WriteHosts("127.0.0.1 localhost\n10.9.8.7 example.com\n");
  const int code = testsupport::WithFakeDns(
      program.hosts_path, testsupport::FakeDnsServer::Mode::kAnswer, [&](const auto&) {
        testsupport::ChildChecks check;
        program.WriteState("[settings]\r\nfirstrun=true\r\n");
        program.Start("/etc/hosts");
        program.AddWebsite("example.com");
        auto& picks = program.services.picks;
        picks.push_back(fakes::Pick(2));  // not mobile.example.com
        picks.push_back({.button = ui::ListAnswer::Button::kOther, .rows = {}});  // the line
        picks.emplace_back();                                                     // Close
        program.Main().imgApply_Click();
        const auto& choices = program.services.choices;
        check(choices.size() == 3, "the check after each change shows its result");
        const auto& first = choices.at(0);
        check(first.prompt.starts_with("Line 2 of the hosts file comes before"),
              first.prompt.c_str());
        check(first.other_button == "Comment Out Line 2", first.other_button.c_str());
        check(first.rows.size() == 4 && first.rows.at(0).at(0) == "example.com" &&
                  first.rows.at(3).at(0) == "mobile.example.com" &&
                  first.rows.at(2).at(1) == "IPv4, IPv6",
              "the leak, the heading, then each other name once for both families");
        check(first.selectable == std::vector<bool>{false, false, true, true},
              "only the other names may be picked");
        const auto rows = program.main_view().Rows();
        check(std::find(rows.begin(), rows.end(), "m.example.com\tBlocked") != rows.end() &&
                  std::find(rows.begin(), rows.end(), "mobile.example.com\tBlocked") == rows.end(),
              "only the name left picked is blocked");
        check(program.Hosts().starts_with("127.0.0.1 localhost\n#10.9.8.7 example.com\n"),
              program.Hosts().c_str());
        check(choices.at(2).other_button.empty() && choices.at(2).rows.size() == 2,
              "once out of use, the line leaves only the name not picked");
        check(testsupport::FilesIn(program.folder.File("history")) == 3,
              "each save kept the text it replaced");
        check(!Reaches("example.com") && !Reaches("m.example.com"), "blocked");
        return check.failures();
      });
  SKIP_WITHOUT_PRIVATE_MOUNTS(code);
  EXPECT_EQ(code, 0);
}

}  // namespace
