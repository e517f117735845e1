// Message building and the receive buffer, without a pipe.
#include <gtest/gtest.h>

#include "lpc/lpc_fixture.h"
#include "lpc/lpc_messages.h"
#include "lpc/receive_buffer.h"

namespace {

TEST(LpcFrames, SentMessagesKeepPackOrderAndEndInOneZeroByte) {
  JsonPtr params = Json(R"({"b":1,"a":[true,null]})");
  JsonPtr call(lpc::BuildCall("Do", params.get(), 4000000000u));
  EXPECT_EQ(
      lpc::Frame(call.get()),
      std::string(R"({"jsonrpc":"2.0","method":"Do","params":{"b":1,"a":[true,null]},"id":-294967296})") +
          '\0');
  JsonPtr note(lpc::BuildNotification("Tell", params.get()));
  EXPECT_EQ(CompactText(note.get()), R"({"jsonrpc":"2.0","method":"Tell","params":{"b":1,"a":[true,null]}})");
  JsonPtr error(lpc::BuildResponse(params.get(), true, 9));
  EXPECT_EQ(CompactText(error.get()), R"({"jsonrpc":"2.0","error":{"b":1,"a":[true,null]},"id":9})");
  JsonPtr none(lpc::BuildResponse(nullptr, false, -1));
  EXPECT_EQ(CompactText(none.get()), R"({"jsonrpc":"2.0","result":null,"id":-1})");
  EXPECT_EQ(lpc::BuildCall(nullptr, params.get(), 1), nullptr);
  EXPECT_EQ(lpc::BuildNotification("Tell", nullptr), nullptr);
  // Ids above 31 bits travel as negative numbers and come back whole.
  uint32_t id = 0;
  ASSERT_TRUE(lpc::ResponseId(call.get(), &id));
  EXPECT_EQ(id, 4000000000u);
}

TEST(LpcFrames, ReceivedMessagesAreClassifiedByMethodAndIntegerId) {
  EXPECT_EQ(lpc::Classify(Json(R"({"method":"m","id":1})").get()), lpc::MessageKind::kRequest);
  EXPECT_EQ(lpc::Classify(Json(R"({"method":"m","id":"1"})").get()), lpc::MessageKind::kNotification);
  EXPECT_EQ(lpc::Classify(Json(R"({"method":"m"})").get()), lpc::MessageKind::kNotification);
  EXPECT_EQ(lpc::Classify(Json(R"({"result":1,"id":1})").get()), lpc::MessageKind::kResponse);
  EXPECT_EQ(lpc::Classify(Json("[1]").get()), lpc::MessageKind::kResponse);
  JsonPtr holder(json_object());
  lpc::StoreAnswer(Json(R"({"id":1,"error":{"c":1},"result":[2],"other":3})").get(), holder.get());
  EXPECT_EQ(CompactText(holder.get()), R"({"result":[2],"error":{"c":1}})");
}

TEST(LpcReceiveBuffer, CutsAtZeroBytesAcrossAndWithinChunks) {
  lpc::CReceiveBuffer buffer;
  std::string text;
  buffer.Append("{\"a\"", 4);
  EXPECT_FALSE(buffer.TakeMessage(&text));
  buffer.Append(":1}\0[", 5);
  ASSERT_TRUE(buffer.TakeMessage(&text));
  EXPECT_EQ(text, "{\"a\":1}");
  EXPECT_FALSE(buffer.TakeMessage(&text));
  EXPECT_EQ(buffer.Size(), 1u);
  buffer.Append("2]\0\0x\0", 6);
  ASSERT_TRUE(buffer.TakeMessage(&text));
  EXPECT_EQ(text, "[2]");
  ASSERT_TRUE(buffer.TakeMessage(&text));
  EXPECT_EQ(text, "");
  ASSERT_TRUE(buffer.TakeMessage(&text));
  EXPECT_EQ(text, "x");
  EXPECT_FALSE(buffer.TakeMessage(&text));
  EXPECT_EQ(buffer.Size(), 0u);
}

}  // namespace
