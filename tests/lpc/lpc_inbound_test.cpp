// Messages the service sends to the client: framing, classification and
// the handlers' answers. Cases live in tests/data/lpc/<case>/:
//   input          one JSON text per line, sent as zero-byte framed messages
//                  in a single write (an empty line is an empty frame)
//   replies        the texts the client must answer with, in order
//   requests       handler log of requests, in order
//   notifications  handler log of notifications, in order
// A missing expectation file means "nothing".
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "lpc/lpc_fixture.h"
#include "support/temp_dir.h"

namespace {

const std::filesystem::path kCases = std::filesystem::path(ORV_SOURCE_DIR) / "tests/data/lpc";
constexpr const char* kEndRequest = R"({"jsonrpc":"2.0","method":"echo","params":"end","id":999999})";
constexpr const char* kEndNotification = R"({"jsonrpc":"2.0","method":"echo","params":"end"})";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The handlers every case can reach, logging what they see.
class CHandlerLog {
 public:
  void Register(ILPCClient* client) {
    Add(client, "echo", [this, client](json_t* params, LpcRequestHandle handle) {
      const bool sent = handle && client->SendResponse(params, false, handle);
      Log(handle, "echo " + CompactText(params) + (handle ? sent ? " sent" : " unsent" : ""));
      if (CompactText(params) == "\"end\"" && !handle) m_ended.Set();
      return 0;
    });
    Add(client, "fail", [this, client](json_t* params, LpcRequestHandle handle) {
      const bool sent = client->SendResponse(params, true, handle);
      Log(handle, "fail " + CompactText(params) + (sent ? " sent" : " unsent"));
      return 0;
    });
    Add(client, "nothing", [this, client](json_t* params, LpcRequestHandle handle) {
      const bool sent = client->SendResponse(nullptr, false, handle);
      Log(handle, "nothing " + CompactText(params) + (sent ? " sent" : " unsent"));
      return 0;
    });
    Add(client, "twice", [this, client](json_t* params, LpcRequestHandle handle) {
      const bool first = client->SendResponse(params, false, handle);
      const bool second = client->SendResponse(params, false, handle);
      Log(handle, "twice " + CompactText(params) + (first ? " first" : "") + (second ? " second" : ""));
      return 0;
    });
    Add(client, "decline", [this, client](json_t* params, LpcRequestHandle handle) {
      Log(handle, "decline " + CompactText(params));
      return 1;
    });
  }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
  }
  std::vector<std::string> Notifications() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_notifications;
  }
  lpc::CSyncEvent m_ended;

 private:
  static void Add(ILPCClient* client, const char* name, LpcMethodHandler handler) {
    ASSERT_TRUE(client->RegisterMethod(name, std::move(handler)));
  }
  void Log(LpcRequestHandle handle, const std::string& line) {
    std::lock_guard<std::mutex> lock(m_lock);
    (handle ? m_requests : m_notifications).push_back(line);
  }

  std::mutex m_lock;
  std::vector<std::string> m_requests;
  std::vector<std::string> m_notifications;
};

class LpcInboundTest : public LpcClientTest {
 protected:
  void SetUp() override {
    LpcClientTest::SetUp();
    m_handlers.Register(m_client);
    ConnectPeer();
  }

  // Reads the client's answers up to the one for the closing request.
  std::vector<std::string> ReadReplies() {
    std::vector<std::string> replies;
    std::string text;
    while (m_peer.ReadMessage(&text)) {
      if (text == R"({"jsonrpc":"2.0","result":"end","id":999999})") return replies;
      replies.push_back(text);
    }
    ADD_FAILURE() << "no answer to the closing request";
    return replies;
  }

  std::vector<std::string> RequestsBeforeEnd() {
    std::vector<std::string> requests = m_handlers.Requests();
    if (!requests.empty() && requests.back() == "echo \"end\" sent") requests.pop_back();
    return requests;
  }

  std::vector<std::string> NotificationsBeforeEnd() {
    EXPECT_TRUE(m_handlers.m_ended.WaitFor(kWaitLimit));
    std::vector<std::string> notifications = m_handlers.Notifications();
    if (!notifications.empty()) notifications.pop_back();
    return notifications;
  }

  CHandlerLog m_handlers;
};

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kCases, error)) {
    if (std::filesystem::exists(entry.path() / "input")) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class LpcInboundCaseTest : public LpcInboundTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(LpcInboundCaseTest, AnswersAndHandlerCallsMatch) {
  const std::filesystem::path dir = kCases / GetParam();
  std::string frames;
  for (const std::string& line : Lines(ReadFileBytes(dir / "input"))) frames += line + '\0';
  frames += std::string(kEndRequest) + '\0' + kEndNotification + '\0';
  ASSERT_TRUE(m_peer.SendBytes(frames));
  EXPECT_EQ(ReadReplies(), Lines(ReadFileBytes(dir / "replies")));
  EXPECT_EQ(NotificationsBeforeEnd(), Lines(ReadFileBytes(dir / "notifications")));
  EXPECT_EQ(RequestsBeforeEnd(), Lines(ReadFileBytes(dir / "requests")));
}

INSTANTIATE_TEST_SUITE_P(Data, LpcInboundCaseTest, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(LpcInboundTest, MessageLongerThanOneReadIsDeliveredOnce) {
  const std::string text(3 * platform::kPipeReadSize + 100, 'x');
  const std::string request = R"({"jsonrpc":"2.0","method":"echo","params":[")" + text + R"("],"id":5})";
  // Half now, the rest with the closing messages: the client must join them.
  const size_t half = request.size() / 2;
  ASSERT_TRUE(m_peer.SendBytes(request.substr(0, half)));
  ASSERT_TRUE(m_peer.SendBytes(request.substr(half) + '\0' + kEndRequest + '\0' + kEndNotification + '\0'));
  const std::vector<std::string> replies = ReadReplies();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], R"({"jsonrpc":"2.0","result":[")" + text + R"("],"id":5})");
  EXPECT_EQ(RequestsBeforeEnd().size(), 1u);
}

TEST_F(LpcInboundTest, KeptRequestIsAnsweredLaterFromAnotherThread) {
  lpc::CSyncEvent kept;
  LpcRequestHandle handle;
  ASSERT_TRUE(m_client->RegisterMethod("keep", [&](json_t*, LpcRequestHandle given) {
    handle = given;
    kept.Set();
    return 0;
  }));
  std::string text;
  ASSERT_TRUE(m_peer.ReadMessage(&text));  // the new table
  ASSERT_TRUE(m_peer.SendMessage(R"({"jsonrpc":"2.0","method":"keep","params":{},"id":42})"));
  ASSERT_TRUE(kept.WaitFor(kWaitLimit));
  std::thread answerer([&] { EXPECT_TRUE(m_client->SendResponse(Json("[3]").get(), false, handle)); });
  answerer.join();
  ASSERT_TRUE(m_peer.ReadMessage(&text));
  EXPECT_EQ(text, R"({"jsonrpc":"2.0","result":[3],"id":42})");
  EXPECT_FALSE(m_client->SendResponse(Json("[4]").get(), false, handle));
  EXPECT_FALSE(m_client->SendResponse(nullptr, false, LpcRequestHandle{}));
  EXPECT_FALSE(m_client->SendResponse(nullptr, false, LpcRequestHandle{12345}));
}

}  // namespace
