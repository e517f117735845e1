// The two workers against devserver: the update query's outcomes, every
// failure of the download and installer hand-off, progress, cancellation.
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "common/md5.h"
#include "common/text.h"
#include "dialog_fixture.h"
#include "support/child_process.h"
#include "update_dialog/update_workers.h"
#include "update_dialog/worker_thread.h"

namespace {

using std::chrono::milliseconds;

struct TCheckOutcome {
  bool called = false;
  bool ok = false;
};

// Runs CheckUpdateThread on the test's thread with a window shown or not.
TCheckOutcome RunCheck(CUpdateJob* job, bool visible) {
  TCheckOutcome outcome;
  job->m_bWindowVisible = visible;
  job->m_onChecked = [&outcome](bool ok) { outcome = {true, ok}; };
  auto shared = std::shared_ptr<CUpdateJob>(job, [](CUpdateJob*) {});
  CheckUpdateThread(shared);
  return outcome;
}

struct TCheckRow {
  const char* name;
  const char* message;
  const char* recordset;
  bool ok;
  std::u16string version, url;
};

void PrintTo(const TCheckRow& row, std::ostream* os) { *os << row.name; }

class CheckUpdateTest : public DialogTest, public ::testing::WithParamInterface<TCheckRow> {};

TEST_P(CheckUpdateTest, StoresTheAnswerAndReportsTheResult) {
  const TCheckRow& row = GetParam();
  ReplyToQuery(row.recordset, row.message);
  CUpdateJob job;
  const TCheckOutcome outcome = RunCheck(&job, true);
  EXPECT_TRUE(outcome.called);
  EXPECT_EQ(outcome.ok, row.ok);
  EXPECT_EQ(job.m_strNewVersion, row.version);
  EXPECT_EQ(job.m_strDownloadUrl, row.url);
}

const std::u16string kNoText;

INSTANTIATE_TEST_SUITE_P(
    Replies, CheckUpdateTest,
    ::testing::Values(
        TCheckRow{"Offer", "success", R"({"version":"1.0.0.2","url":"http://h/u.exe","md5":"m"})", true,
                  u"1.0.0.2", u"http://h/u.exe"},
        TCheckRow{"NoUpdate", "success", "null", true, kNoText, kNoText},
        TCheckRow{"VersionWithoutUrl", "success", R"({"version":"2.0","url":""})", true, u"2.0", kNoText},
        TCheckRow{"Refused", "fail", R"({"version":"3.0","url":"u","md5":"m"})", false, kNoText, kNoText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, HiddenDialogAsksSilently) {
  for (const bool visible : {false, true}) {
    CUpdateJob job;
    RunCheck(&job, visible);
  }
  const auto sent = m_server->Requests();
  std::vector<std::string> silence;
  for (const auto& request : sent) {
    if (request.r != "api/update/v2") continue;
    silence.push_back(request.query.find("&slience=1&") != std::string::npos ? "1" : "0");
  }
  EXPECT_EQ(silence, (std::vector<std::string>{"1", "0"}));
}

TEST_F(DialogTest, CheckCancelledDuringItsDelayEndsAtOnceWithoutResult) {
  auto job = std::make_shared<CUpdateJob>();
  bool called = false;
  job->m_onChecked = [&called](bool) { called = true; };
  CWorkerThread worker;
  ASSERT_TRUE(worker.Start([job] { CheckUpdateThread(job); }));
  job->m_bCancel = true;
  EXPECT_TRUE(worker.WaitForEnd(500));
  EXPECT_FALSE(called);
  EXPECT_EQ(RequestCount("api/update/v2"), 0u);
}

// A worker left after its wait still runs; the program's end waits for it,
// so nothing it uses is destroyed under it.
TEST(WorkerThreadTest, LeftWorkerIsJoinedBeforeTheProgramEnds) {
  std::atomic<bool> release{false};
  std::atomic<bool> ended{false};
  CWorkerThread worker;
  ASSERT_TRUE(worker.Start([&release, &ended] {
    (void)WaitFor([&release] { return release.load(); }, std::chrono::seconds(5));
    // Still busy a while after the release, as a worker ending a transfer.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ended = true;
  }));
  EXPECT_FALSE(worker.WaitForEnd(0));
  worker.Leave();
  EXPECT_FALSE(worker.IsStarted());
  release = true;
  JoinLeftWorkers();
  EXPECT_TRUE(ended.load());
}

// One way the hand-off can go.
struct TInstallRow {
  const char* name;
  // The checksum text served; "{md5}" / "{lower}" stand for the stub's digest.
  std::optional<std::string> checksum;
  int64_t installerCutAt = -1;  // the installer reply breaks off after this many bytes
  bool installerIsProgram = true;
  bool started;
  bool installerFetched;
};

void PrintTo(const TInstallRow& row, std::ostream* os) { *os << row.name; }

class InstallTest : public DialogTest, public ::testing::WithParamInterface<TInstallRow> {
 protected:
  std::string StubDigest() const { return Md5HexOf(ProgramBytes("orv_installer_stub")); }
  std::string Expand(std::string text) const {
    std::string lower = StubDigest();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [word, value] : {std::pair<std::string, std::string>{"{md5}", StubDigest()},
                                      std::pair<std::string, std::string>{"{lower}", lower}}) {
      for (size_t at; (at = text.find(word)) != std::string::npos;) text.replace(at, word.size(), value);
    }
    return text;
  }
  void RunInstall(CUpdateJob* job) {
    job->m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
    job->m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
    InstallThread(std::shared_ptr<CUpdateJob>(job, [](CUpdateJob*) {}));
  }
};

TEST_P(InstallTest, StartsTheInstallerOnlyWhenEveryStepWorked) {
  const TInstallRow& row = GetParam();
  if (row.checksum) ReplyChecksum(Expand(*row.checksum));
  if (!row.installerIsProgram) {
    m_env->dir().Write("files/Update.exe", "not a program at all");
  }
  if (row.installerCutAt >= 0) {
    devserver::Reply reply;
    reply.body = ProgramBytes("orv_installer_stub");
    reply.contentType = "application/octet-stream";
    reply.truncateTo = row.installerCutAt;
    m_server->SetReply("files/Update.exe", reply);
  }
  // An installer left from an earlier run goes before any download.
  std::filesystem::create_directories(std::filesystem::path(InstallerTarget()).parent_path());
  m_env->dir().Write("old-installer", "old");
  std::filesystem::copy_file(m_env->dir().File("old-installer"), InstallerTarget());
  CUpdateJob job;
  RunInstall(&job);
  EXPECT_EQ(job.m_bFailed.load(), !row.started);
  EXPECT_EQ(RequestCount("files/Update.exe") > 0, row.installerFetched);
  if (row.started) {
    ASSERT_TRUE(WaitForInstallerRecord());
    EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
    EXPECT_EQ(job.m_nProgress.load(), 100);
  } else {
    EXPECT_EQ(InstallerRecord(), "");
  }
  if (!row.installerFetched) {
    EXPECT_EQ(job.m_nProgress.load(), 0);
    EXPECT_EQ(ReadFileBytes(InstallerTarget()), "old");
  } else {
    EXPECT_NE(ReadFileBytes(InstallerTarget()), "old");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, InstallTest,
    ::testing::Values(
        TInstallRow{"ChecksumMatches", std::nullopt, -1, true, true, true},
        TInstallRow{"ChecksumInLowerCaseWithBlanksAndCrLf", " \t{lower}\r\n", -1, true, true, true},
        TInstallRow{"Checksum31Characters", "0123456789ABCDEF0123456789ABCDE", -1, true, false, false},
        TInstallRow{"Checksum33Characters", "0123456789ABCDEF0123456789ABCDEF0", -1, true, false, false},
        TInstallRow{"ChecksumEmpty", "", -1, true, false, false},
        TInstallRow{"ChecksumDiffers", "0123456789ABCDEF0123456789ABCDEF", -1, true, false, true},
        TInstallRow{"DownloadBreaksOff", std::nullopt, 1000, true, false, true},
        TInstallRow{"InstallerCannotStart", std::nullopt, -1, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, ChecksumThatCannotBeFetchedStopsBeforeTheDownload) {
  devserver::Reply reply;
  reply.body = "0123456789ABCDEF0123456789ABCDEF";
  reply.truncateTo = 10;
  m_server->SetReply("files/Update.exe.md5", reply);
  CUpdateJob job;
  job.m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
  job.m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
  InstallThread(std::shared_ptr<CUpdateJob>(&job, [](CUpdateJob*) {}));
  EXPECT_TRUE(job.m_bFailed.load());
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);
}

// The user closes the dialog while the downloaded installer is being checked
// (a pass that takes a while over a large installer).
class CClosedDuringTheCheck : public CUpdateJob {
 public:
  void OnInstallerCheckProgress(uint64_t) override {
    m_checkBegan = true;
    m_bCancel.store(true);
  }
  bool m_checkBegan = false;
};

TEST_F(DialogTest, CloseDuringTheInstallerCheckStartsNothing) {
  CClosedDuringTheCheck job;
  job.m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
  job.m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
  InstallThread(std::shared_ptr<CUpdateJob>(&job, [](CUpdateJob*) {}));
  EXPECT_TRUE(job.m_checkBegan);
  EXPECT_TRUE(job.m_bFailed.load());
  EXPECT_EQ(InstallerRecord(), "");
  EXPECT_EQ(ReadFileBytes(InstallerTarget()), ProgramBytes("orv_installer_stub"));  // kept
}

struct TProgressRow {
  double total, received;
  int32_t before, after;
};

void PrintTo(const TProgressRow& row, std::ostream* os) {
  *os << row.received << " of " << row.total << " after " << row.before;
}

class ProgressTest : public ::testing::TestWithParam<TProgressRow> {};

TEST_P(ProgressTest, PercentIsClampedAndZeroTotalIgnored) {
  CUpdateJob job;
  job.m_nProgress = GetParam().before;
  job.OnDownloadProgress(GetParam().total, GetParam().received);
  EXPECT_EQ(job.m_nProgress.load(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Reports, ProgressTest,
                         ::testing::Values(TProgressRow{0.0, 10.0, 7, 7}, TProgressRow{100.0, 42.0, 0, 42},
                                           TProgressRow{3.0, 2.0, 0, 66}, TProgressRow{100.0, 150.0, 0, 100},
                                           TProgressRow{100.0, -5.0, 50, 0},
                                           TProgressRow{1.0, 1e300, 0, 100}));

TEST(ChecksumTextTest, BlanksAreTrimmedFromBothEnds) {
  EXPECT_EQ(TrimChecksumText(u" \t\r\nABC \r\n"), u"ABC");
  EXPECT_EQ(TrimChecksumText(u"A B"), u"A B");
  EXPECT_EQ(TrimChecksumText(u" \r\n"), u"");
}

}  // namespace
