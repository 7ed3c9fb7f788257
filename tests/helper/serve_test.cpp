// What the helper writes for a request and what it refuses, over files of the test's own.
#include "helper/serve.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hostsfile/file_io.h"
#include "policies_in_force.h"
#include "temp_folder.h"

namespace {

using helper::Message;

struct HelperFiles {
  testsupport::TempFolder folder;
  helper::Place place{folder.File("hosts"), folder.File("state.dll"), folder.File("data"),
                      hostsfile::ResolverCaches{.resolved_socket = folder.File("none"),
                                                .nscd_socket = folder.File("none")}};

  HelperFiles() {
    std::filesystem::create_directory(place.data_folder);
    testsupport::WriteBytes(place.hosts_path, "127.0.0.1 localhost\n");
    testsupport::WriteBytes(place.state_path, "[settings]\r\nfirstrun=no\r\npwd=secret\r\n");
  }
  std::string Hosts() const { return testsupport::ReadBytes(place.hosts_path); }
  std::string State() const { return testsupport::ReadBytes(place.state_path); }

  Message Ask(const Message& request) const {
    auto reply = helper::Decode(helper::Encode(helper::Serve(helper::Encode(request), place)));
    EXPECT_TRUE(reply);
    return reply ? *reply : Message{};
  }
  Message SaveHosts(const std::string& password, const std::string& text) const {
    return Ask(Message{
        "save-hosts",
        {{"password", password}, {"path", place.hosts_path}, {"stamp", ""}, {"text", text}}});
  }
  std::size_t HistoryCopies() const {
    return std::filesystem::exists(place.HistoryFolder())
               ? testsupport::FilesIn(place.HistoryFolder())
               : 0;
  }
};

rir::ErrorCode CodeOf(const Message& reply) {
  EXPECT_EQ(reply.kind, "error");
  return helper::ErrorIn(reply).code;
}

TEST(HelperServe, WritesTheHostsFileWithThePasswordAndKeepsItsEarlierText) {
  HelperFiles files;
  const std::string text =
      "127.0.0.1 localhost\n127.0.0.1 \tsite.example site.example.\n::1 \tsite.example "
      "site.example.\n";
  Message reply = files.SaveHosts("secret", text);
  ASSERT_EQ(reply.kind, "ok") << rir::DescribeError(helper::ErrorIn(reply));
  EXPECT_EQ(*reply.Field("changed"), "1");
  EXPECT_EQ(files.Hosts(), text);
  EXPECT_EQ(files.HistoryCopies(), 1u);

  reply = files.SaveHosts("secret", text);
  EXPECT_EQ(*reply.Field("changed"), "0") << "the same text again writes nothing";
  EXPECT_EQ(files.HistoryCopies(), 1u);
}

TEST(HelperServe, WithoutThePasswordNothingIsWritten) {
  HelperFiles files;
  const std::string state = files.State();
  EXPECT_EQ(CodeOf(files.SaveHosts("Secret", "# mine\n")), rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(CodeOf(files.SaveHosts("", "# mine\n")), rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(CodeOf(files.Ask(
                Message{"save-hosts", {{"path", files.place.hosts_path}, {"text", "# mine\n"}}})),
            rir::ErrorCode::kBadRequest);
  EXPECT_EQ(CodeOf(files.Ask(
                Message{"store-password", {{"password", "guess"}, {"new-password", "mine"}}})),
            rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(
      CodeOf(files.Ask(Message{"write-firstrun", {{"password", "guess"}, {"value", "true"}}})),
      rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(files.Hosts(), "127.0.0.1 localhost\n");
  EXPECT_EQ(files.State(), state);
  EXPECT_EQ(files.HistoryCopies(), 0u);

  // A state file that cannot be read lets nobody in, not even with the empty password.
  std::filesystem::remove(files.place.state_path);
  std::filesystem::create_directory(files.place.state_path);
  EXPECT_NE(files.SaveHosts("", "# mine\n").kind, "ok");
  EXPECT_EQ(files.Hosts(), "127.0.0.1 localhost\n");
}

TEST(HelperServe, WithoutThePasswordOnlyTheLastSavesBlocksArePutBack) {
  HelperFiles files;
  const Message block_again{"block-again", {{"path", files.place.hosts_path}}};
  EXPECT_EQ(*files.Ask(block_again).Field("changed"), "0") << "nothing saved with the password";

  const std::string blocks = "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n";
  const std::string applied = "127.0.0.1 localhost\n" + blocks;
  ASSERT_EQ(files.SaveHosts("secret", applied).kind, "ok");
  EXPECT_EQ(*files.Ask(block_again).Field("changed"), "0");
  EXPECT_EQ(std::filesystem::status(files.place.BlockedRecordPath()).permissions() &
                std::filesystem::perms::others_all,
            std::filesystem::perms::none);

  // Another program takes the block out and adds a line; a request cannot add a name of its own.
  testsupport::WriteFinished(files.place.hosts_path, "127.0.0.1 localhost\n10.0.0.1 nas\n");
  const Message reply =
      files.Ask(Message{"block-again", {{"path", files.place.hosts_path}, {"names", "b.example"}}});
  EXPECT_EQ(CodeOf(reply), rir::ErrorCode::kBadRequest);
  ASSERT_EQ(files.Ask(block_again).kind, "ok");
  EXPECT_EQ(files.Hosts(), "127.0.0.1 localhost\n10.0.0.1 nas\n" + blocks);
}

TEST(HelperServe, WithNoPasswordStoredTheEmptyOneOpensUntilOneIs) {
  HelperFiles files;
  testsupport::WriteBytes(files.place.state_path, "[settings]\r\nfirstrun=true\r\n");
  EXPECT_EQ(*files.Ask(Message{"read-firstrun", {}}).Field("value"), "true");
  EXPECT_EQ(files.Ask(Message{"write-firstrun", {{"password", ""}, {"value", "no"}}}).kind, "ok");
  EXPECT_EQ(*files.Ask(Message{"read-firstrun", {}}).Field("value"), "no");
  EXPECT_EQ(*files.Ask(Message{"check-password", {{"password", ""}}}).Field("matches"), "1");

  EXPECT_EQ(files.Ask(Message{"store-password", {{"password", ""}, {"new-password", "n3w"}}}).kind,
            "ok");
  EXPECT_EQ(files.State().find("n3w"), std::string::npos) << "only a hash is stored";
  EXPECT_EQ(*files.Ask(Message{"check-password", {{"password", ""}}}).Field("matches"), "0");
  EXPECT_EQ(*files.Ask(Message{"check-password", {{"password", "n3w"}}}).Field("matches"), "1");
  EXPECT_EQ(CodeOf(files.SaveHosts("", "# mine\n")), rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(files.SaveHosts("n3w", "# mine\n").kind, "ok");
}

TEST(HelperServe, RefusesWhatTheProgramCouldNotHaveAsked) {
  HelperFiles files;
  const std::string state = files.State();
  // A text the store would not read back.
  EXPECT_EQ(CodeOf(files.SaveHosts("secret", std::string("\xFF\xFE#\0", 4))),
            rir::ErrorCode::kUtf16Text);
  // Another file than the system's hosts file.
  const std::string other = files.folder.File("other");
  EXPECT_EQ(CodeOf(files.Ask(Message{
                "save-hosts", {{"password", "secret"}, {"path", other}, {"text", "# mine\n"}}})),
            rir::ErrorCode::kBadRequest);
  EXPECT_FALSE(std::filesystem::exists(other));
  // A state value with a line of its own.
  EXPECT_EQ(CodeOf(files.Ask(
                Message{"write-firstrun", {{"password", "secret"}, {"value", "no\r\npwd="}}})),
            rir::ErrorCode::kInvalidText);
  // Requests it does not know, and bytes that are no request.
  EXPECT_EQ(CodeOf(files.Ask(Message{"read-password", {{"password", "secret"}}})),
            rir::ErrorCode::kBadRequest);
  EXPECT_EQ(helper::ErrorIn(helper::Serve("rm -rf /\n", files.place)).code,
            rir::ErrorCode::kBadRequest);
  EXPECT_EQ(files.Hosts(), "127.0.0.1 localhost\n");
  EXPECT_EQ(files.State(), state);
}

TEST(HelperServe, AWrongPasswordIsAnsweredBeforeAnythingAfterItIsRead) {
  HelperFiles files;
  // A request that goes on without end after its password: what the helper reads is counted.
  const std::string head = helper::Encode(Message{"save-hosts", {{"password", "guess"}}});
  std::size_t served = 0;
  helper::RequestReader request([&](char* into, std::size_t room) {
    for (std::size_t i = 0; i < room; ++i, ++served) {
      into[i] = served < head.size() ? head[served] : 'x';
    }
    return static_cast<std::ptrdiff_t>(room);
  });
  EXPECT_EQ(helper::ErrorIn(helper::Serve(request, files.place)).code,
            rir::ErrorCode::kWrongPassword);
  EXPECT_LE(served, head.size() + (std::size_t{1} << 16)) << "at most one buffer past it";
}

TEST(HelperServe, RefusesASaveOverAFileChangedSinceTheProgramLoadedIt) {
  HelperFiles files;
  const auto loaded = hostsfile::StampOf(files.place.hosts_path);
  ASSERT_TRUE(loaded);
  testsupport::WriteBytes(files.place.hosts_path, "10.0.0.1 nas\n");  // another program's edit
  const Message reply = files.Ask(Message{"save-hosts",
                                          {{"password", "secret"},
                                           {"path", files.place.hosts_path},
                                           {"stamp", helper::EncodeStamp(*loaded)},
                                           {"text", "# mine\n"}}});
  EXPECT_EQ(CodeOf(reply), rir::ErrorCode::kChangedSinceLoad);
  EXPECT_EQ(files.Hosts(), "10.0.0.1 nas\n");
}

TEST(HelperServe, EveryRequestFirstFinishesASaveThatWasCutShort) {
  HelperFiles files;
  testsupport::WriteBytes(files.place.hosts_path + ".rir-journal", "# the next text\n");
  testsupport::WriteBytes(files.place.hosts_path + ".rir-new.AbCdEf", "# half made");
  EXPECT_EQ(files.Ask(Message{"read-firstrun", {}}).kind, "ok");
  EXPECT_EQ(files.Hosts(), "# the next text\n");
  EXPECT_EQ(testsupport::FilesIn(files.folder.path().string()), 3u) << "hosts, state.dll, data";

  // Asked for by a program that may not finish it itself, without a password.
  testsupport::WriteBytes(files.place.hosts_path + ".rir-journal", "# later\n");
  const Message finished = files.Ask(Message{"finish-save", {{"path", files.place.hosts_path}}});
  EXPECT_EQ(*finished.Field("bytes"), "8");
  EXPECT_EQ(files.Hosts(), "# later\n");
}

TEST(HelperServe, AfterFiveWrongPasswordsInARowEveryAttemptWaits) {
  HelperFiles files;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(CodeOf(files.SaveHosts("guess", "# mine\n")), rir::ErrorCode::kWrongPassword);
  }
  // Any process's next attempt, the right password's too, until the wait is over.
  EXPECT_EQ(CodeOf(files.SaveHosts("secret", "# mine\n")), rir::ErrorCode::kTooManyWrongPasswords);
  EXPECT_EQ(files.Hosts(), "127.0.0.1 localhost\n");
}

}  // namespace

#ifndef _WIN32
// The browsers' policies follow the saves made with the password, in places the helper knows;
// the password's holder alone may have them left alone.
TEST(HelperServe, KeepsTheBrowsersPoliciesInLineWithTheBlocks) {
  HelperFiles files;
  files.place.policies = browserpolicy::PolicyPlaces{files.folder.File("root")};
  const auto in_force = [&files] { return testsupport::PoliciesKeptOff(*files.place.policies); };
  const std::string blocked = "127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n";
  ASSERT_EQ(files.SaveHosts("secret", blocked).kind, "ok");
  EXPECT_EQ(in_force(), 5U);
  const auto choose = [&files](const std::string& password, const std::string& leave) {
    return files.Ask(Message{"browser-choice", {{"password", password}, {"leave-alone", leave}}});
  };
  EXPECT_EQ(CodeOf(choose("guess", "1")), rir::ErrorCode::kWrongPassword);
  EXPECT_EQ(in_force(), 5U);
  ASSERT_EQ(choose("secret", "1").kind, "ok");
  EXPECT_EQ(in_force(), 0U);
  ASSERT_EQ(choose("secret", "0").kind, "ok");
  EXPECT_EQ(in_force(), 5U);
  const std::string allowed = "#127.0.0.1 \ta.example a.example.\n#::1 \ta.example a.example.\n";
  ASSERT_EQ(files.SaveHosts("secret", allowed).kind, "ok");  // nothing blocked any more
  EXPECT_EQ(in_force(), 0U);
  EXPECT_FALSE(std::filesystem::exists(files.folder.File("root") + "/etc"));
}
#endif
