// Downloads into memory and files, and the two-step upload.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "common/md5.h"
#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/transfer_cancel.h"
#include "support/temp_dir.h"

namespace {

struct ProgressLog : CDownLoadCallBack {
  void OnDownloadProgress(double total, double received) override { calls.emplace_back(total, received); }
  std::vector<std::pair<double, double>> calls;
};

class TransferTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    m_client = MakeClient();
  }
  std::u16string Url(const std::string& path) const { return Base() + Utf8ToUtf16(path); }
  // Puts bytes into the devserver's storage, where GET can fetch them.
  void Store(const std::string& key, const std::string& bytes) {
    m_env->dir().Write("upload.bin", bytes);
    ASSERT_TRUE(m_client->HttpPutFile(Url("storage/" + key), Utf8ToUtf16(m_env->dir().File("upload.bin"))));
  }
  std::unique_ptr<CConnectHelp> m_client;
};

TEST_F(TransferTest, DownloadWithLengthReportsProgressToTheEnd) {
  const std::string bytes(3 * 1024 * 1024 + 17, 'z');
  Store("big.bin", bytes);
  ProgressLog progress;
  ASSERT_TRUE(m_client->DownloadToMemory(Url("storage/big.bin"), &progress));
  ASSERT_EQ(m_client->GetDownloadedSize(), bytes.size());
  ASSERT_GE(progress.calls.size(), 2u);
  EXPECT_EQ(progress.calls.front(), std::make_pair(double(bytes.size()), 0.0));
  EXPECT_EQ(progress.calls.back(), std::make_pair(double(bytes.size()), double(bytes.size())));
  std::string copy(10, '\0');
  EXPECT_EQ(m_client->CopyDownloaded(copy.data(), 10), 10u);
  EXPECT_EQ(copy, bytes.substr(0, 10));
  std::string all(bytes.size() + 5, '\0');
  EXPECT_EQ(m_client->CopyDownloaded(all.data(), static_cast<uint32_t>(all.size())), bytes.size());
}

TEST_F(TransferTest, DownloadWithoutLengthKeepsItsBytes) {
  devserver::Reply chunked = RawReply("0123456789ABCDEF");
  chunked.chunked = true;
  m_server->SetReply("api/config/get", chunked);
  ProgressLog progress;
  ASSERT_TRUE(m_client->DownloadToMemory(Url("?r=api/config/get"), &progress));
  EXPECT_EQ(m_client->GetDownloadedSize(), 16u);
  // Only the closing call, which reads as complete.
  EXPECT_EQ(progress.calls, (std::vector<std::pair<double, double>>{{16, 16}}));
}

TEST_F(TransferTest, ReplyShorterThanItsLengthIsAFailedDownload) {
  ASSERT_TRUE(m_client->DownloadToMemory(Url("files/Update.exe.md5"), nullptr));
  ASSERT_EQ(m_client->GetDownloadedSize(), 32u);
  devserver::Reply cut = RawReply(std::string(100000, 'q'));
  cut.truncateTo = 5000;
  m_server->SetReply("api/config/get", cut);
  EXPECT_FALSE(m_client->DownloadToMemory(Url("?r=api/config/get"), nullptr));
  EXPECT_EQ(m_client->GetDownloadedSize(), 0u);
  char byte = 'x';
  EXPECT_EQ(m_client->CopyDownloaded(&byte, 1), 0u);
}

TEST_F(TransferTest, DownloadToFileWritesTheInstallerAndItsChecksumMatches) {
  const std::string target = m_env->dir().File("data/Update/Update.exe");
  std::filesystem::create_directories(m_env->dir().File("data/Update"));
  std::ofstream(target) << std::string(100000, 'o');
  ASSERT_TRUE(m_client->DownloadToFile(Url("files/Update.exe"), Utf8ToUtf16(target), nullptr));
  const std::string installer = ReadFileBytes(target);
  EXPECT_TRUE(installer.starts_with("#!/bin/sh"));
  ASSERT_TRUE(m_client->DownloadToMemory(Url("files/Update.exe.md5"), nullptr));
  std::string checksum(m_client->GetDownloadedSize(), '\0');
  m_client->CopyDownloaded(checksum.data(), static_cast<uint32_t>(checksum.size()));
  EXPECT_EQ(checksum, Md5HexOf(installer));
  const std::string nested = m_env->dir().File("a/b/c/file.bin");
  EXPECT_TRUE(m_client->DownloadToFile(Url("files/Update.exe"), Utf8ToUtf16(nested), nullptr));
  EXPECT_EQ(ReadFileBytes(nested), installer);
  EXPECT_FALSE(m_client->DownloadToFile(u"http://127.0.0.1:1/x", Utf8ToUtf16(nested), nullptr));
}

TEST_F(TransferTest, DownloadToFileReplacesTheFileOnlyWhenComplete) {
  const std::string target = m_env->dir().File("Update/Update.exe");
  m_env->dir().Write("Update/Update.exe", "previous");
  devserver::Reply cut = RawReply(std::string(200000, 'q'));
  cut.truncateTo = 70000;
  m_server->SetReply("api/config/get", cut);
  EXPECT_FALSE(m_client->DownloadToFile(Url("?r=api/config/get"), Utf8ToUtf16(target), nullptr));
  EXPECT_EQ(ReadFileBytes(target), "previous");
  EXPECT_FALSE(std::filesystem::exists(target + ".part"));

  EXPECT_EQ(RequestsFor("api/config/get").size(), 3u);  // every attempt was cut short

  // A cut-off page is fetched again; the file holds only the last reply.
  m_server->ClearRequests();
  m_server->SetReplies("api/config/get", {RawReply("<html>partial"), RawReply("<html>ok</html>")});
  ProgressLog progress;
  ASSERT_TRUE(m_client->DownloadToFile(Url("?r=api/config/get"), Utf8ToUtf16(target), &progress));
  EXPECT_EQ(ReadFileBytes(target), "<html>ok</html>");
  EXPECT_EQ(progress.calls.back(), std::make_pair(15.0, 15.0));
  EXPECT_EQ(RequestsFor("api/config/get").size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(target + ".part"));
}

// Progress receiver that holds its download at the first report until
// released, so that another download runs meanwhile.
struct HeldProgress : ProgressLog {
  void OnDownloadProgress(double total, double received) override {
    ProgressLog::OnDownloadProgress(total, received);
    std::unique_lock<std::mutex> hold(lock);
    reported = true;
    changed.notify_all();
    changed.wait_for(hold, std::chrono::seconds(10), [this] { return released; });
  }
  void WaitForReport() {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, std::chrono::seconds(10), [this] { return reported; });
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock);
    released = true;
    changed.notify_all();
  }
  std::mutex lock;
  std::condition_variable changed;
  bool reported = false, released = false;
};

TEST_F(TransferTest, DownloadsAtOnceReportEachToItsOwnReceiver) {
  const std::string big(3 * 1024 * 1024 + 17, 'z');
  Store("big.bin", big);
  std::unique_ptr<CConnectHelp> other = MakeClient();
  HeldProgress held;
  bool heldOk = false;
  std::thread first([&] { heldOk = other->DownloadToMemory(Url("storage/big.bin"), &held); });
  held.WaitForReport();
  ProgressLog second;
  ASSERT_TRUE(m_client->DownloadToMemory(Url("files/Update.exe.md5"), &second));
  held.Release();
  first.join();
  ASSERT_TRUE(heldOk);
  EXPECT_EQ(second.calls.back(), std::make_pair(32.0, 32.0));
  for (const auto& call : second.calls) EXPECT_EQ(call.first, 32.0);
  EXPECT_EQ(held.calls.back(), std::make_pair(double(big.size()), double(big.size())));
}

TEST_F(TransferTest, ACancelScopeEndsItsThreadsTransfersOnly) {
  std::atomic<bool> cancel{true};
  const std::string target = m_env->dir().File("Update/Update.exe");
  std::unique_ptr<CConnectHelp> other = MakeClient();
  const size_t before = m_server->Requests().size();
  {
    const CTransferCancelScope scope(cancel);
    EXPECT_FALSE(m_client->DownloadToMemory(Url("files/Update.exe.md5"), nullptr));
    EXPECT_FALSE(m_client->DownloadToFile(Url("files/Update.exe"), Utf8ToUtf16(target), nullptr));
    bool otherOk = false;
    std::thread([&] { otherOk = other->DownloadToMemory(Url("files/Update.exe.md5"), nullptr); }).join();
    EXPECT_TRUE(otherOk);
  }
  EXPECT_EQ(m_server->Requests().size(), before + 1);  // the other thread's only
  EXPECT_TRUE(m_client->DownloadToMemory(Url("files/Update.exe.md5"), nullptr));
}

TEST_F(TransferTest, UploadFileStoresTheBytesUnderItsKey) {
  std::string zip;
  for (int i = 0; i < 70000; ++i) zip += static_cast<char>(i * 7);
  m_env->dir().Write("Dumps.zip", zip);
  const std::u16string key = u"dumps/Orvane/1.0.0.0/FP_1700000000.zip";
  ASSERT_TRUE(m_client->UploadFile(key, Utf8ToUtf16(m_env->dir().File("Dumps.zip"))));
  EXPECT_EQ(ReadFileBytes(m_server->StorageDir() + "/" + Utf16ToUtf8(key)), zip);
  const auto asked = RequestsFor("api/default/getPutUrl");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].body.starts_with("av=0&category=0&filepath=dumps/Orvane/1.0.0.0/FP_1700000000.zip&"));
  const auto put = m_server->Requests().back();
  EXPECT_EQ(put.method, "PUT");
  EXPECT_EQ(put.bodySize, zip.size());
  // Sent from the file with its length announced, not in chunks.
  EXPECT_EQ(put.headers.find("Content-Length")->second, std::to_string(zip.size()));
  EXPECT_EQ(put.headers.count("Transfer-Encoding"), 0u);
}

TEST_F(TransferTest, UploadAttemptsEachSendTheWholeFile) {
  std::string zip;
  for (int i = 0; i < 300000; ++i) zip += static_cast<char>(i * 13);
  m_env->dir().Write("Dumps.zip", zip);
  // The first answer breaks off: the next attempt reads the file from its start again.
  devserver::Reply broken = RawReply(std::string(100, 'x'));
  broken.truncateTo = 10;
  m_server->SetReplies("storage/", {broken, RawReply("stored")});
  ASSERT_TRUE(m_client->HttpPutFile(Url("storage/dumps/a.zip"), Utf8ToUtf16(m_env->dir().File("Dumps.zip"))));
  std::vector<devserver::LoggedRequest> puts;
  for (const auto& request : m_server->Requests()) {
    if (request.method == "PUT") puts.push_back(request);
  }
  ASSERT_EQ(puts.size(), 2u);
  for (const auto& put : puts) EXPECT_TRUE(put.body == zip);
}

TEST_F(TransferTest, UploadFailures) {
  m_env->dir().Write("Dumps.zip", "PK");
  const std::u16string file = Utf8ToUtf16(m_env->dir().File("Dumps.zip"));
  const auto puts = [this] {
    size_t count = 0;
    for (const auto& request : m_server->Requests()) count += request.method == "PUT";
    return count;
  };
  m_server->SetReply("storage/", RawReply("denied", 403));
  EXPECT_FALSE(m_client->UploadFile(u"dumps/a.zip", file));
  EXPECT_EQ(puts(), 1u);
  m_env->dir().Write("empty.zip", "");
  EXPECT_FALSE(m_client->UploadFile(u"dumps/b.zip", Utf8ToUtf16(m_env->dir().File("empty.zip"))));
  EXPECT_FALSE(m_client->UploadFile(u"dumps/c.zip", Utf8ToUtf16(m_env->dir().File("missing.zip"))));
  m_server->SetReply("api/default/getPutUrl", devserver::EnvelopeReply(200, "success", "null"));
  EXPECT_FALSE(m_client->UploadFile(u"dumps/d.zip", file));
  EXPECT_EQ(m_client->GetPutUrl(u"dumps/d.zip"), u"");
  EXPECT_EQ(puts(), 1u);
}

}  // namespace
