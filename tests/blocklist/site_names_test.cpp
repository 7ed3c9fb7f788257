// The other names a site is reached through: its www companion, its registrable name by the
// Public Suffix List (libpsl, or the copy compiled into the Windows program: the same answers),
// and the sites file.
#include "blocklist/site_names.h"

#include <gtest/gtest.h>

#include <array>

#include "blocklist/registrable_name.h"
#include "temp_folder.h"

namespace {

using blocklist::CompanionName;
using blocklist::RegistrableName;

TEST(SiteNames, OnlyASitesOwnNameAndItsWwwFormHaveACompanionAndGuessedNames) {
  // A name, its companion, and what "m." and "mobile." go before ("" for none).
  for (const auto& [name, companion, guessed] : std::initializer_list<std::array<const char*, 3>>{
           {"example.com", "www.example.com", "example.com"},
           {"www.bbc.co.uk", "bbc.co.uk", "bbc.co.uk"},
           {"news.example.co.uk", "", ""},
           {"m.example.com", "", ""},
           {"user.github.io", "www.user.github.io", "user.github.io"},
           {"github.io", "", ""},
           {"www.com", "", "www.com"},
           {"com", "", ""},
           {"192.168.1.1", "", ""},
           {"printer.0x1f", "", ""}}) {
    const std::vector<std::string> names{std::string("m.") + guessed,
                                         std::string("mobile.") + guessed};
    EXPECT_EQ(CompanionName(name).value_or(""), companion) << name;
    EXPECT_EQ(blocklist::GuessedNames(name), *guessed ? names : decltype(names){}) << name;
  }
  EXPECT_EQ(blocklist::WithWwwForms({"youtu.be", "m.youtube.com", "youtube-nocookie.com"}),
            (std::vector<std::string>{"youtu.be", "www.youtu.be", "m.youtube.com",
                                      "youtube-nocookie.com", "www.youtube-nocookie.com"}));
}

TEST(SiteNames, TheRegistrableNameFollowsThePublicSuffixList) {
  EXPECT_EQ(RegistrableName("www.bbc.co.uk"), "bbc.co.uk");
  EXPECT_EQ(RegistrableName("co.uk"), std::nullopt);
  EXPECT_EQ(RegistrableName("m.example.com"), "example.com");
  EXPECT_EQ(RegistrableName("a.b.kawasaki.jp"), "a.b.kawasaki.jp") << "*.kawasaki.jp";
  EXPECT_EQ(RegistrableName("www.city.kawasaki.jp"), "city.kawasaki.jp") << "!city.kawasaki.jp";
}

TEST(SiteNames, TheSitesFileSkipsTheLinesItCannotReadAndTheShippedOneHasNone) {
  std::vector<std::size_t> damaged;
  const auto sites = blocklist::KnownSites::Parse(
      "# videos\nyoutube.com youtu.be m.youtube.com # and more\r\nalone.example\n"
      "bad.example https://x.example/\n",
      damaged);
  EXPECT_EQ(sites.OtherNames("youtube.com"),
            (std::vector<std::string>{"youtu.be", "m.youtube.com"}));
  EXPECT_TRUE(sites.OtherNames("youtu.be").empty());
  EXPECT_EQ(damaged, (std::vector<std::size_t>{3, 4}));

  damaged.clear();
  const auto shipped = blocklist::KnownSites::Parse(
      testsupport::ReadBytes(RIR_TEST_DATA_DIR "/../../assets/sites.txt"), damaged);
  EXPECT_TRUE(damaged.empty());
  EXPECT_GE(shipped.size(), 30u);
}

}  // namespace
