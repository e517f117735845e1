// Outgoing calls and notifications: wire form, answers, time-outs, several
// callers at once.
#include <algorithm>
#include <thread>
#include <vector>

#include "lpc/lpc_fixture.h"

namespace {

// Reads one call from the peer and answers it with body (after "id").
void AnswerNextCall(CTestPeer* peer, const std::string& body, std::string* callText) {
  ASSERT_TRUE(peer->ReadMessage(callText));
  JsonPtr call = Json(*callText);
  ASSERT_NE(call, nullptr);
  const json_int_t id = json_integer_value(json_object_get(call.get(), "id"));
  ASSERT_TRUE(peer->SendMessage(R"({"id":)" + std::to_string(id) + "," + body + "}"));
}

TEST_F(LpcClientTest, CallGoesOutInPackOrderAndStoresTheResult) {
  ConnectPeer();
  std::string callText;
  std::thread service(AnswerNextCall, &m_peer, R"("result":{"ok":true},"jsonrpc":"2.0")", &callText);
  JsonPtr holder(json_object());
  const bool answered = m_client->CallMethod("Echo", Json(R"({"a":1})").get(), holder.get(), 5);
  service.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(callText, R"({"jsonrpc":"2.0","method":"Echo","params":{"a":1},"id":1})");
  EXPECT_EQ(CompactText(holder.get()), R"({"result":{"ok":true}})");
}

TEST_F(LpcClientTest, ErrorAnswerIsStoredUnderError) {
  ConnectPeer();
  std::string callText;
  std::thread service(AnswerNextCall, &m_peer, R"("error":{"code":-32601},"result":null)", &callText);
  JsonPtr holder(json_object());
  const bool answered = m_client->CallMethod("Nope", Json("[]").get(), holder.get(), 5);
  service.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(CompactText(holder.get()), R"({"result":null,"error":{"code":-32601}})");
}

TEST_F(LpcClientTest, CallWithoutNameParamsOrHolderWritesNothing) {
  ConnectPeer();
  JsonPtr holder(json_object());
  JsonPtr params = Json("[]");
  EXPECT_FALSE(m_client->CallMethod(nullptr, params.get(), holder.get(), 1));
  EXPECT_FALSE(m_client->CallMethod("Echo", nullptr, holder.get(), 1));
  EXPECT_FALSE(m_client->CallMethod("Echo", params.get(), nullptr, 1));
  EXPECT_FALSE(m_client->SendNotification("Ping", nullptr));
  EXPECT_FALSE(m_client->SendNotification(nullptr, params.get()));
  ASSERT_TRUE(m_client->SendNotification("Ping", params.get()));
  std::string text;
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, R"({"jsonrpc":"2.0","method":"Ping","params":[]})");
}

TEST_F(LpcClientTest, LateAnswerMakesTheCallFailAndIsIgnored) {
  ConnectPeer();
  std::thread service([this] {
    std::string callText;
    ASSERT_TRUE(m_peer.ReadMessage(&callText));
    // This service is slow: it answers 1.5 s after the call came in.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(m_peer.SendMessage(R"({"jsonrpc":"2.0","result":"late","id":1})"));
    std::string next;
    AnswerNextCall(&m_peer, R"("jsonrpc":"2.0","result":"second")", &next);
  });
  JsonPtr late(json_object());
  EXPECT_FALSE(m_client->CallMethod("Slow", Json("[]").get(), late.get(), 1));
  // Answers are handled in order, so once the second call is answered the
  // late one has been seen and dropped.
  JsonPtr second(json_object());
  EXPECT_TRUE(m_client->CallMethod("Fast", Json("[]").get(), second.get(), 5));
  service.join();
  EXPECT_EQ(CompactText(late.get()), "{}");
  EXPECT_EQ(CompactText(second.get()), R"({"result":"second"})");
}

TEST_F(LpcClientTest, ConcurrentCallersGetTheirOwnAnswers) {
  constexpr int kThreads = 6;
  constexpr int kRounds = 25;
  ConnectPeer();
  // Each round holds one call per caller; the service answers them in
  // reverse order of arrival, echoing the params.
  std::thread service([this] {
    for (int round = 0; round < kRounds; ++round) {
      std::vector<JsonPtr> calls;
      while (calls.size() < kThreads) {
        JsonPtr message(m_peer.ReadJson());
        ASSERT_NE(message, nullptr);
        calls.push_back(std::move(message));
      }
      std::reverse(calls.begin(), calls.end());
      for (const JsonPtr& call : calls) {
        JsonPtr answer(json_pack("{s:s,s:O,s:O}", "jsonrpc", "2.0", "result",
                                 json_object_get(call.get(), "params"), "id",
                                 json_object_get(call.get(), "id")));
        ASSERT_TRUE(m_peer.SendMessage(CompactText(answer.get())));
      }
    }
  });
  std::vector<int> matched(kThreads, 0);
  std::vector<std::thread> callers;
  for (int caller = 0; caller < kThreads; ++caller) {
    callers.emplace_back([this, caller, &matched] {
      for (int round = 0; round < kRounds; ++round) {
        JsonPtr params(json_pack("{s:i,s:i}", "caller", caller, "round", round));
        JsonPtr holder(json_object());
        if (!m_client->CallMethod("Echo", params.get(), holder.get(), 10)) return;
        if (json_equal(json_object_get(holder.get(), "result"), params.get())) ++matched[caller];
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  service.join();
  for (int caller = 0; caller < kThreads; ++caller) EXPECT_EQ(matched[caller], kRounds) << caller;
}

class RecordingCompletion : public ILPCCompletion {
 public:
  void Complete() override {
    ++m_calls;
    m_done.Set();
  }
  int m_calls = 0;
  lpc::CSyncEvent m_done;
};

TEST_F(LpcClientTest, AsyncCallReturnsOnceWrittenAndCompletesOnTheAnswer) {
  ConnectPeer();
  RecordingCompletion completion;
  JsonPtr holder(json_object());
  ASSERT_TRUE(m_client->CallMethodAsync("Later", Json(R"(["x"])").get(), holder.get(), &completion));
  std::string callText;
  ASSERT_TRUE(m_peer.ReadMessage(&callText));
  EXPECT_EQ(callText, R"({"jsonrpc":"2.0","method":"Later","params":["x"],"id":1})");
  EXPECT_EQ(completion.m_calls, 0);
  ASSERT_TRUE(m_peer.SendMessage(R"({"jsonrpc":"2.0","result":7,"id":1})"));
  ASSERT_TRUE(completion.m_done.WaitFor(kWaitLimit));
  EXPECT_EQ(CompactText(holder.get()), R"({"result":7})");
  // A repeated answer finds no pending call and completes nothing.
  ASSERT_TRUE(m_peer.SendMessage(R"({"jsonrpc":"2.0","result":8,"id":1})"));
  std::thread service(AnswerNextCall, &m_peer, R"("result":0)", &callText);
  JsonPtr other(json_object());
  EXPECT_TRUE(m_client->CallMethod("Flush", Json("[]").get(), other.get(), 5));
  service.join();
  EXPECT_EQ(completion.m_calls, 1);
  EXPECT_EQ(CompactText(holder.get()), R"({"result":7})");
}

TEST_F(LpcClientTest, CallsOnAClosedLinkFailAtOnce) {
  JsonPtr holder(json_object());
  RecordingCompletion completion;
  EXPECT_FALSE(m_client->CallMethod("Echo", Json("[]").get(), holder.get(), 30));
  EXPECT_FALSE(m_client->CallMethodAsync("Echo", Json("[]").get(), holder.get(), &completion));
  EXPECT_EQ(CompactText(holder.get()), "{}");
}

}  // namespace
