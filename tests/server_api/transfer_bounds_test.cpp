// Bounds on whole exchanges: an API request with all its attempts, and the
// low-speed limit of downloads and uploads. Each server here answers every
// read within the per-operation timeouts, so only these bounds end the wait.
#include <chrono>
#include <filesystem>

#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TransferBoundsTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    TestIdentity identity;
    identity.limits = {1500, 1024, 1000};  // API exchange 1.5 s; 1 KiB/s over 1 s
    m_client = MakeClient(identity);
  }
  // A body of size bytes sent in pieces of `piece` bytes, one every everyMs.
  static devserver::Reply Trickle(size_t size, int piece, int everyMs) {
    devserver::Reply reply = RawReply(std::string(size, 'x'));
    reply.trickleBytes = piece;
    reply.trickleMs = everyMs;
    return reply;
  }
  template <typename Call>
  static milliseconds Timed(Call call, bool* result) {
    const auto start = Clock::now();
    *result = call();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  }
  std::unique_ptr<CConnectHelp> m_client;
};

TEST_F(TransferBoundsTest, ApiRequestWithItsRetriesEndsWithinItsBound) {
  // One byte every 200 ms: every read is quick, the reply never ends.
  m_server->SetReply("api/config/get", Trickle(100000, 1, 200));
  JsonPtr reply;
  bool ok = true;
  const auto took = Timed([&] { return m_client->HttpGet(Base() + u"?r=api/config/get", &reply); }, &ok);
  EXPECT_FALSE(ok);
  EXPECT_GE(took, milliseconds(1400));
  EXPECT_LT(took, milliseconds(4000));
}

TEST_F(TransferBoundsTest, TricklingDownloadsGiveUp) {
  // 500 bytes a second, below the limit of 1 KiB/s.
  m_server->SetReply("files/Update.exe", Trickle(1000000, 100, 200));
  const std::u16string url = Base() + u"files/Update.exe";
  const std::u16string target = Utf8ToUtf16(m_env->dir().File("Update/Update.exe"));
  bool ok = true;
  // Three attempts, each ended about a second after it began.
  auto took = Timed([&] { return m_client->DownloadToFile(url, target, nullptr); }, &ok);
  EXPECT_FALSE(ok);
  EXPECT_LT(took, milliseconds(10000));
  took = Timed([&] { return m_client->DownloadToMemory(url, nullptr); }, &ok);
  EXPECT_FALSE(ok);
  EXPECT_LT(took, milliseconds(10000));
}

TEST_F(TransferBoundsTest, SlowButSteadyDownloadCompletes) {
  // 40 KiB a second, well above the limit.
  m_server->SetReply("files/Update.exe", Trickle(60000, 4000, 100));
  const std::string target = m_env->dir().File("Update/Update.exe");
  ASSERT_TRUE(m_client->DownloadToFile(Base() + u"files/Update.exe", Utf8ToUtf16(target), nullptr));
  EXPECT_EQ(std::filesystem::file_size(target), 60000u);
}

TEST_F(TransferBoundsTest, StorageThatStopsReadingEndsTheUpload) {
  // The storage server does not read the body for a minute: once the
  // connection's buffers are full, nothing moves.
  devserver::Reply stalled = RawReply("late");
  stalled.delayMs = 60000;
  m_server->SetReply("storage/", stalled);
  m_env->dir().Write("Dumps.zip", std::string(48 * 1024 * 1024, 'z'));
  bool ok = true;
  const auto took = Timed(
      [&] {
        return m_client->HttpPutFile(Base() + u"storage/dumps/a.zip",
                                     Utf8ToUtf16(m_env->dir().File("Dumps.zip")));
      },
      &ok);
  EXPECT_FALSE(ok);
  EXPECT_LT(took, milliseconds(15000));
}

}  // namespace
