// The requests and replies between the program and its helper, as bytes.
#include "helper/protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using helper::Decode;
using helper::Encode;
using helper::Message;

TEST(HelperProtocol, AnyBytesGoThereAndBack) {
  Message request{"save-hosts", {}};
  const std::string text("# line\r\n127.0.0.1 \tsite site.\n\0tail\n", 28);
  request.With("password", "p\nw\r\n")
      .With("path", "/etc/hosts")
      .With("text", text)
      .With("empty", "");
  auto decoded = Decode(Encode(request));
  ASSERT_TRUE(decoded) << rir::DescribeError(decoded.error());
  EXPECT_EQ(decoded->kind, "save-hosts");
  EXPECT_EQ(decoded->fields, request.fields);
  EXPECT_EQ(*decoded->Field("text"), text);
  EXPECT_EQ(decoded->Field("missing"), nullptr);
}

TEST(HelperProtocol, ARequestNotWrittenAsEncodeWritesItIsRefused) {
  const std::string good = Encode(Message{"check-password", {{"password", "secret"}}});
  const std::string refused[] = {
      "",
      "rir-avadera-helper 1\ncheck-password\n",           // another version
      good.substr(0, good.size() - 1),                    // cut short
      good + "x",                                         // something after the last field
      good + "password 1\nx\n",                           // a field twice
      "rir-avadera-helper 2\nCheck Password\n",           // no kind
      "rir-avadera-helper 2\nok\npassword 99\nsecret\n",  // a size past the end
      "rir-avadera-helper 2\nok\npassword -1\nsecret\n",  // no size
      "rir-avadera-helper 2\nok\npassword 6\nsecretX",    // no line end after the bytes
  };
  for (const std::string& bytes : refused) {
    auto decoded = Decode(bytes);
    ASSERT_FALSE(decoded) << bytes;
    EXPECT_EQ(decoded.error().code, rir::ErrorCode::kBadRequest) << bytes;
    EXPECT_FALSE(decoded.error().reason.empty()) << bytes;
  }
}

TEST(HelperProtocol, AnErrorTravelsWithItsPathAndReason) {
  const rir::Error error{rir::ErrorCode::kWrongPassword, "/opt/x/state.dll", "because"};
  auto reply = Decode(Encode(helper::ErrorReply(error)));
  ASSERT_TRUE(reply);
  const rir::Error back = helper::ErrorIn(*reply);
  EXPECT_EQ(back.code, error.code);
  EXPECT_EQ(back.path, error.path);
  EXPECT_EQ(back.reason, error.reason);
  // A code past the program's own is not taken for one.
  EXPECT_EQ(
      helper::ErrorIn(Message{"error", {{"code", "9999"}, {"path", ""}, {"reason", ""}}}).code,
      rir::ErrorCode::kBadRequest);
  EXPECT_EQ(helper::ErrorIn(Message{"error", {{"code", "3x"}, {"path", ""}, {"reason", ""}}}).code,
            rir::ErrorCode::kBadRequest);
}

}  // namespace
