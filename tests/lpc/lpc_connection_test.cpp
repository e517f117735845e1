// Connecting, the method table announcements and the end of a connection.
#include <cstdlib>
#include <string>
#include <thread>

#include "lpc/lpc_fixture.h"

namespace {

constexpr const char* kEmptySupport = R"({"jsonrpc":"2.0","method":"MethodSupport","params":[]})";

int32_t Ignore(json_t*, LpcRequestHandle) { return 1; }

std::string SupportWith(const std::string& names) {
  return R"({"jsonrpc":"2.0","method":"MethodSupport","params":[)" + names + "]}";
}

TEST_F(LpcClientTest, ConnectAnnouncesAnEmptyTableAsEmptyArray) {
  std::string support;
  ConnectPeer(&support);
  EXPECT_EQ(support, kEmptySupport);
}

TEST_F(LpcClientTest, ConnectWhileConnectedOpensNothingNew) {
  ConnectPeer();
  EXPECT_TRUE(m_client->Connect(m_name.c_str()));
  EXPECT_FALSE(m_peer.HasWaitingClient());
  // The first link still carries traffic, and no second announcement came.
  EXPECT_TRUE(m_client->SendNotification("Ping", Json("[1]").get()));
  std::string text;
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, R"({"jsonrpc":"2.0","method":"Ping","params":[1]})");
}

TEST_F(LpcClientTest, ConnectWithoutListenerFailsAndCanBeRetried) {
  ILPCClient* other = CreateLPCClient();
  EXPECT_FALSE(other->Connect(UniquePipeName().c_str()));
  EXPECT_FALSE(other->Connect(nullptr));
  EXPECT_FALSE(other->Connect(""));
  EXPECT_FALSE(other->Connect("a/b"));
  EXPECT_FALSE(other->SendNotification("Ping", Json("[]").get()));
  EXPECT_TRUE(other->Connect(m_name.c_str()));
  other->Release();
}

TEST_F(LpcClientTest, TableIsAnnouncedInByteOrderAfterEveryChange) {
  ASSERT_TRUE(m_client->RegisterMethod("zeta", Ignore));
  std::string text;
  ConnectPeer(&text);
  EXPECT_EQ(text, SupportWith(R"("zeta")"));

  ASSERT_TRUE(m_client->RegisterMethod("beta", Ignore));
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("beta","zeta")"));
  ASSERT_TRUE(m_client->RegisterMethod("Alpha", Ignore));
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("Alpha","beta","zeta")"));

  // Refused registrations announce nothing: the next text is the next change.
  const std::string longest(63, 'm');
  EXPECT_FALSE(m_client->RegisterMethod("beta", Ignore));
  EXPECT_FALSE(m_client->RegisterMethod(std::string(64, 'm').c_str(), Ignore));
  EXPECT_FALSE(m_client->RegisterMethod(nullptr, Ignore));
  EXPECT_FALSE(m_client->RegisterMethod("empty", LpcMethodHandler{}));
  ASSERT_TRUE(m_client->RegisterMethod(longest.c_str(), Ignore));
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("Alpha","beta",")" + longest + R"(","zeta")"));
}

TEST_F(LpcClientTest, UnregisterAnnouncesTheTableInAnyCase) {
  ASSERT_TRUE(m_client->RegisterMethod("one", Ignore));
  ASSERT_TRUE(m_client->RegisterMethod("two", Ignore));
  ConnectPeer();
  std::string text;
  m_client->UnregisterMethod("one");
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("two")"));
  m_client->UnregisterMethod("absent");
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("two")"));
  m_client->UnregisterMethod(std::string(64, 't').c_str());
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, SupportWith(R"("two")"));
  m_client->UnregisterMethod("two");
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, kEmptySupport);
}

TEST_F(LpcClientTest, PeerClosingEndsReaderCallsBackAndAllowsReconnect) {
  lpc::CSyncEvent ended;
  m_client->SetDisconnectCallback(SetEventCallback, &ended);
  ConnectPeer();
  m_peer.CloseConnection();
  ASSERT_TRUE(ended.WaitFor(kWaitLimit));
  EXPECT_FALSE(m_client->SendNotification("Ping", Json("[]").get()));
  json_t* holder = json_object();
  EXPECT_FALSE(m_client->CallMethod("Echo", Json("[]").get(), holder, 5));
  json_decref(holder);

  std::string support;
  ConnectPeer(&support);
  EXPECT_EQ(support, kEmptySupport);
  EXPECT_TRUE(m_client->SendNotification("Ping", Json("[2]").get()));
  std::string text;
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, R"({"jsonrpc":"2.0","method":"Ping","params":[2]})");
}

TEST_F(LpcClientTest, DisconnectCallsBackAndIsSafeWhenRepeated) {
  lpc::CSyncEvent ended;
  m_client->Disconnect();
  m_client->SetDisconnectCallback(SetEventCallback, &ended);
  ConnectPeer();
  m_client->Disconnect();
  EXPECT_TRUE(ended.WaitFor(std::chrono::milliseconds(0)));
  m_client->Disconnect();
  // The peer sees the pipe end.
  std::string text;
  EXPECT_FALSE(m_peer.ReadMessage(&text));
  ConnectPeer();
}

// A disconnect callback that disconnects too (as one tearing its link down
// does) while another thread's Disconnect waits for the reader: both end.
TEST_F(LpcClientTest, CallbackDisconnectingDuringADisconnectEnds) {
  ConnectPeer();
  m_client->SetDisconnectCallback([](void* client) { static_cast<ILPCClient*>(client)->Disconnect(); },
                                  m_client);
  lpc::CSyncEvent ended;
  std::thread closer([this, &ended] {
    m_client->Disconnect();
    ended.Set();
  });
  if (!ended.WaitFor(kWaitLimit)) {
    ADD_FAILURE() << "Disconnect and the disconnect callback wait for each other";
    std::_Exit(1);  // the two threads never end: the process cannot end otherwise
  }
  closer.join();
  m_client->SetDisconnectCallback(nullptr, nullptr);
  ConnectPeer();
}

TEST_F(LpcClientTest, ReleaseWhileConnectedStopsEverything) {
  ConnectPeer();
  ILPCClient* client = m_client;
  m_client = CreateLPCClient();
  client->Release();
  std::string text;
  EXPECT_FALSE(m_peer.ReadMessage(&text));
}

}  // namespace
