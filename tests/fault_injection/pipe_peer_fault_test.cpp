// Pipe peers that misbehave: a service that accepts and never reads, and one
// that streams bytes without ever ending a frame. Each case gives up within
// its stated bound, and the client is whole afterwards: it connects again and
// a call goes through.
#include <future>
#include <string>

#include "fault_injection/bounded_clock.h"
#include "lpc/lpc_fixture.h"
#include "lpc/lpc_messages.h"

namespace {

class PipePeerFaultTest : public LpcClientTest {
 protected:
  // Reconnects after the client dropped the link and makes one answered call:
  // nothing of the client's state was lost with the bad connection.
  void ExpectCallWorksAgain() {
    m_peer.CloseConnection();
    ConnectPeer();
    std::future<bool> call = std::async(std::launch::async, [this] {
      JsonPtr holder = Json("{}");
      JsonPtr params = Json("{}");
      return m_client->CallMethod("Ping", params.get(), holder.get(), 5);
    });
    JsonPtr request(m_peer.ReadJson());
    ASSERT_NE(request, nullptr);
    const json_int_t id = json_integer_value(json_object_get(request.get(), "id"));
    ASSERT_TRUE(m_peer.SendMessage(R"({"jsonrpc":"2.0","result":1,"id":)" + std::to_string(id) + "}"));
    EXPECT_TRUE(call.get());
  }

  lpc::CSyncEvent m_dropped;
};

// Bound: the call's own timeout (2 s) plus 1.5 s. A message of 8 MiB cannot
// fit the peer's receive buffer, so the write blocks until the timeout.
TEST_F(PipePeerFaultTest, ServiceThatNeverReadsCostsOnlyTheCallTimeout) {
  constexpr auto kBound = std::chrono::milliseconds(3500);
  m_client->SetDisconnectCallback(SetEventCallback, &m_dropped);
  ConnectPeer();
  JsonPtr params(json_pack("{s:s}", "blob", std::string(8 * 1024 * 1024, 'x').c_str()));
  JsonPtr holder = Json("{}");
  CBoundedClock clock;
  std::future<bool> call = std::async(
      std::launch::async, [&] { return m_client->CallMethod("Big", params.get(), holder.get(), 2); });
  const bool ended = call.wait_for(kBound + std::chrono::seconds(5)) == std::future_status::ready;
  if (!ended) m_peer.CloseConnection();  // frees the stuck writer so the test can end
  const auto elapsed = clock.Elapsed();
  EXPECT_FALSE(call.get());
  ASSERT_TRUE(ended) << "the write never gave up";
  EXPECT_LE(elapsed, kBound);
  clock.Report("gave_up_ms");
  // Half a frame went out: the connection is dropped, not reused.
  EXPECT_TRUE(m_dropped.WaitFor(kWaitLimit));
  ExpectCallWorksAgain();
}

// Bound: the frame limit (16 MiB) arrives within 10 s on loopback; the
// client holds at most one frame's worth of the stream before dropping it.
TEST_F(PipePeerFaultTest, EndlessFrameIsDroppedAtTheFrameLimit) {
  constexpr size_t kChunk = 1024 * 1024;
  constexpr size_t kOffered = 64 * kChunk;
  m_client->SetDisconnectCallback(SetEventCallback, &m_dropped);
  ConnectPeer();
  const std::string chunk(kChunk, '{');
  size_t sent = 0;
  CBoundedClock clock;
  while (sent < kOffered && m_peer.SendBytes(chunk)) sent += kChunk;
  clock.Report("gave_up_ms");
  EXPECT_TRUE(m_dropped.WaitFor(kWaitLimit));
  // What the socket buffers hold besides the limit is far below a chunk.
  EXPECT_LE(sent, lpc::kMaxFrameBytes + 2 * kChunk);
  EXPECT_LE(clock.Elapsed(), std::chrono::seconds(10));
  ExpectCallWorksAgain();
}

// Bound: 5 s, the write limit of messages that are not calls.
TEST_F(PipePeerFaultTest, NotificationToAPeerThatNeverReadsGivesUp) {
  ConnectPeer();
  JsonPtr params(json_pack("{s:s}", "blob", std::string(8 * 1024 * 1024, 'x').c_str()));
  CBoundedClock clock;
  std::future<bool> sent =
      std::async(std::launch::async, [&] { return m_client->SendNotification("Big", params.get()); });
  const bool ended = sent.wait_for(std::chrono::seconds(12)) == std::future_status::ready;
  if (!ended) m_peer.CloseConnection();
  EXPECT_FALSE(sent.get());
  ASSERT_TRUE(ended) << "the write never gave up";
  EXPECT_LE(clock.Elapsed(), std::chrono::milliseconds(lpc::kWriteTimeoutMs + 1500));
  clock.Report("gave_up_ms");
}

// A frame above the limit is refused before anything is written.
TEST_F(PipePeerFaultTest, OversizedFrameIsNotSent) {
  ConnectPeer();
  JsonPtr params(json_pack("{s:s}", "blob", std::string(lpc::kMaxFrameBytes, 'x').c_str()));
  EXPECT_FALSE(m_client->SendNotification("Huge", params.get()));
  JsonPtr small = Json("[]");
  ASSERT_TRUE(m_client->SendNotification("Small", small.get()));
  std::string text;
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, R"({"jsonrpc":"2.0","method":"Small","params":[]})");
}

}  // namespace
