// Installer downloads that continue where a broken one stopped: within one
// call, and across program runs.
#include <filesystem>
#include <random>

#include "common/md5.h"
#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kInstallerSize = 1024 * 1024 + 123;
constexpr size_t kCut = kInstallerSize * 2 / 5;  // 40 %

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

struct ProgressLog : CDownLoadCallBack {
  void OnDownloadProgress(double total, double received) override { calls.emplace_back(total, received); }
  // Every fraction at least the one before, the last one the whole file.
  void ExpectSteadyTo(double size) const {
    ASSERT_FALSE(calls.empty());
    double shown = 0;
    for (const auto& [total, received] : calls) {
      EXPECT_GE(received / total, shown);
      shown = received / total;
    }
    EXPECT_EQ(calls.back(), std::make_pair(size, size));
  }
  bool Reported(double total, double received) const {
    return std::find(calls.begin(), calls.end(), std::make_pair(total, received)) != calls.end();
  }
  std::vector<std::pair<double, double>> calls;
};

class ResumeTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    m_client = MakeClient();
    m_installer = RandomBytes(kInstallerSize, 7);
    m_target = m_env->dir().File("data/Update/Update.exe");
  }
  // The installer (or other bytes) with an ETag, cut after cutAt bytes when given.
  static devserver::Reply File(const std::string& bytes, const std::string& etag, int64_t cutAt = -1) {
    devserver::Reply reply = RawReply(bytes);
    reply.contentType = "application/octet-stream";
    reply.headers = {{"ETag", etag}};
    reply.truncateTo = cutAt;
    return reply;
  }
  void Script(std::vector<devserver::Reply> replies) {
    m_server->ClearRequests();
    m_server->SetReplies("files/Update.exe", std::move(replies));
  }
  bool Download(ProgressLog* progress = nullptr) {
    return m_client->DownloadToFile(Base() + u"files/Update.exe", Utf8ToUtf16(m_target), progress);
  }
  std::vector<devserver::LoggedRequest> Gets() const {
    std::vector<devserver::LoggedRequest> gets;
    for (auto& request : m_server->Requests()) {
      if (request.path == "/files/Update.exe") gets.push_back(request);
    }
    return gets;
  }
  static std::string Header(const devserver::LoggedRequest& request, const std::string& name) {
    const auto found = request.headers.find(name);
    return found == request.headers.end() ? "" : found->second;
  }
  void ExpectInstalled(const std::string& bytes) const {
    EXPECT_EQ(Md5HexOf(ReadFileBytes(m_target)), Md5HexOf(bytes));
    EXPECT_FALSE(fs::exists(m_target + ".part"));
    EXPECT_FALSE(fs::exists(m_target + ".part.resume"));
  }
  // A first run that gets 40 % and then only refusals: it leaves the part.
  void FailAtFortyPercent() {
    Script({File(m_installer, "\"v1\"", kCut), RawReply("busy", 503)});
    ASSERT_FALSE(Download());
    EXPECT_EQ(fs::file_size(m_target + ".part"), kCut);
    ASSERT_EQ(Gets().size(), 3u);
    EXPECT_EQ(Header(Gets()[2], "Range"), "bytes=" + std::to_string(kCut) + "-");
  }

  std::unique_ptr<CConnectHelp> m_client;
  std::string m_installer;
  std::string m_target;
};

TEST_F(ResumeTest, DownloadCutAtFortyPercentContinuesWithTheRest) {
  Script({File(m_installer, "\"v1\"", kCut), File(m_installer, "\"v1\"")});
  ProgressLog progress;
  ASSERT_TRUE(Download(&progress));
  ExpectInstalled(m_installer);
  const auto gets = Gets();
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(Header(gets[0], "Range"), "");
  EXPECT_EQ(Header(gets[1], "Range"), "bytes=" + std::to_string(kCut) + "-");
  EXPECT_EQ(Header(gets[1], "If-Range"), "\"v1\"");
  // The second reply began at the cut: a 206, counted from the file's start.
  EXPECT_TRUE(progress.Reported(kInstallerSize, kCut));
  for (const auto& call : progress.calls) EXPECT_EQ(call.first, kInstallerSize);
  progress.ExpectSteadyTo(kInstallerSize);
}

TEST_F(ResumeTest, ServerIgnoringRangesRestartsCleanly) {
  m_server->SetServeRanges(false);
  Script({File(m_installer, "\"v1\"", kCut), File(m_installer, "\"v1\"")});
  ProgressLog progress;
  ASSERT_TRUE(Download(&progress));
  ExpectInstalled(m_installer);
  ASSERT_EQ(Gets().size(), 2u);
  EXPECT_EQ(Header(Gets()[1], "Range"), "bytes=" + std::to_string(kCut) + "-");
  EXPECT_FALSE(progress.Reported(kInstallerSize, kCut));
  progress.ExpectSteadyTo(kInstallerSize);
}

TEST_F(ResumeTest, ChangedFileRestarts) {
  const std::string changed = RandomBytes(kInstallerSize - 1000, 8);
  Script({File(m_installer, "\"v1\"", kCut), File(changed, "\"v2\"")});
  ProgressLog progress;
  ASSERT_TRUE(Download(&progress));
  ExpectInstalled(changed);
  EXPECT_EQ(Header(Gets()[1], "If-Range"), "\"v1\"");
  progress.ExpectSteadyTo(changed.size());
}

// What the next run gets when it asks for the rest; each starts over cleanly.
TEST_F(ResumeTest, RangeRepliesThatDoNotFitStartOver) {
  devserver::Reply unsatisfiable = RawReply("", 416);
  unsatisfiable.headers = {{"Content-Range", "bytes */" + std::to_string(kInstallerSize)}};
  devserver::Reply wrongStart = RawReply(m_installer.substr(kCut - 10), 206);
  wrongStart.headers = {{"Content-Range", "bytes " + std::to_string(kCut - 10) + "-" +
                                              std::to_string(kInstallerSize - 1) + "/" +
                                              std::to_string(kInstallerSize)}};
  devserver::Reply otherLength = RawReply(m_installer.substr(kCut), 206);
  otherLength.headers = {{"Content-Range", "bytes " + std::to_string(kCut) + "-" +
                                               std::to_string(kInstallerSize - 1) + "/" +
                                               std::to_string(kInstallerSize + 5)}};
  for (const auto& reply : {unsatisfiable, wrongStart, otherLength}) {
    SCOPED_TRACE(reply.headers[0].second);
    FailAtFortyPercent();
    Script({reply, File(m_installer, "\"v1\"")});
    ASSERT_TRUE(Download());
    ExpectInstalled(m_installer);
    ASSERT_EQ(Gets().size(), 2u);
    EXPECT_NE(Header(Gets()[0], "Range"), "");
    EXPECT_EQ(Header(Gets()[1], "Range"), "");
    fs::remove(m_target);
  }
}

TEST_F(ResumeTest, ReplyWithoutValidatorIsNotContinued) {
  devserver::Reply cut = RawReply(m_installer);
  cut.truncateTo = kCut;
  Script({cut, RawReply(m_installer)});
  ASSERT_TRUE(Download());
  ExpectInstalled(m_installer);
  EXPECT_EQ(Header(Gets()[1], "Range"), "");
}

// The first run is a separate program, killed while the server holds the
// download at 40 %; the second run continues the part it left.
TEST_F(ResumeTest, ContinuesAcrossProgramRuns) {
  devserver::Reply stalled = File(m_installer, "\"v1\"");
  stalled.stallAt = kCut;
  Script({stalled, File(m_installer, "\"v1\"")});
  {
    ChildProcess first(BuiltProgram("download_probe"),
                       {"download_probe", m_server->BaseUrl() + "files/Update.exe", m_target});
    ASSERT_GT(first.pid(), 0);
    ASSERT_TRUE(WaitFor(
        [&] {
          std::error_code error;
          return fs::file_size(m_target + ".part", error) == kCut;
        },
        std::chrono::seconds(20)));
    first.Kill();
  }
  ASSERT_TRUE(fs::exists(m_target + ".part.resume"));
  ProgressLog progress;
  ASSERT_TRUE(Download(&progress));
  ExpectInstalled(m_installer);
  ASSERT_EQ(Gets().size(), 2u);
  EXPECT_EQ(Header(Gets()[1], "Range"), "bytes=" + std::to_string(kCut) + "-");
  EXPECT_EQ(progress.calls.front(), std::make_pair(double(kInstallerSize), double(kCut)));
  progress.ExpectSteadyTo(kInstallerSize);
}

}  // namespace
