// The program as the product runs it ("-auto") with installers signed by its
// publisher, by another, changed after signing, with broken signatures or
// none (tests/support/sign_fixtures.sh). A signed program on a system with
// code signing refuses all but its publisher's; an unsigned program and the
// POSIX one leave it to the checksum and say so in the log.
#include <filesystem>
#include <memory>

#include "app/skin_archive.h"
#include "common/md5.h"
#include "common/text.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "platform/code_signature/code_signature.h"
#include "support/child_process.h"
#include "support/folder_link.h"
#include "platform/system/registry.h"
#include "settings/cfg_app.h"
#include "installer/publisher_check.h"
#include "update_dialog/update_workers.h"

namespace {

namespace fs = std::filesystem;

std::string Fixture(const std::string& name) {
  return std::string(ORV_BINARY_DIR) + "/signed_fixtures/" + name;
}

class PublisherCheckTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    m_delay = std::make_unique<ScopedEnv>("ORV_AUTO_DELAY_MS", "0");
    // Test mode (for the log) sends requests to its own base through a proxy:
    // both are devserver.
    m_env->WriteDataFile("AppTest.txt", "");
    m_testBase = std::make_unique<ScopedEnv>("ORV_API_BASE_TEST", m_server->BaseUrl());
    m_proxy = std::make_unique<ScopedEnv>("ORV_TEST_PROXY", "127.0.0.1:" + std::to_string(m_server->Port()));
  }
  void TearDown() override {
    m_proxy.reset();
    m_testBase.reset();
    m_delay.reset();
    DialogTest::TearDown();
  }
  // Serves installer, runs a copy of program with "-auto" and returns its log.
  std::string Run(const std::string& program, const std::string& installer) {
    const std::string installerBytes = ReadFileBytes(Fixture(installer));
    EXPECT_FALSE(installerBytes.empty()) << "the SignFixtures test makes " << installer;
    m_env->dir().Write("files/Update.exe", installerBytes);
    m_env->dir().Write("program/ORVUpdate.exe", ReadFileBytes(program));
    const std::string copy = m_env->dir().File("program/ORVUpdate.exe");
    std::filesystem::permissions(copy, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    ChildProcess run(copy, {"ORVUpdate.exe", "-auto"});
    EXPECT_EQ(run.Wait(std::chrono::seconds(60)), 0);
    return ReadFileBytes(copy + ".log");
  }

  std::unique_ptr<ScopedEnv> m_delay, m_testBase, m_proxy;
};

TEST_F(PublisherCheckTest, UnsignedProgramLeavesItToTheChecksum) {
  const std::string log = Run(BuiltProgram("ORVUpdate.exe"), "installer_other.exe");
  if (!platform::SystemChecksCodeSignatures()) {
    EXPECT_NE(log.find("publisher check skipped: no code signing on this system"), std::string::npos) << log;
    return;
  }
  EXPECT_NE(log.find("publisher check skipped: unsigned program"), std::string::npos) << log;
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

struct TRow {
  const char* installer;
  const char* logLine;                    // a started installer's, or why it was refused
  const char* program = "ORVUpdate.exe";  // the signed program that checks it
};

void PrintTo(const TRow& row, std::ostream* os) { *os << row.program << " " << row.installer; }

class SignedProgram : public PublisherCheckTest, public ::testing::WithParamInterface<TRow> {};

TEST_P(SignedProgram, StartsOnlyOurPublishersInstaller) {
  if (!platform::SystemChecksCodeSignatures()) GTEST_SKIP() << "no code signing on this system";
  const std::string log = Run(Fixture(GetParam().program), GetParam().installer);
  EXPECT_NE(log.find(GetParam().logLine), std::string::npos) << log;
  // The system's policy is asked, and recorded whatever it answers, only
  // about what our own checks accepted.
  const bool accepted = std::string(GetParam().logLine) == "installer signed by our publisher";
  EXPECT_EQ(log.find("installer trust policy: ") != std::string::npos, accepted) << log;
  if (accepted) {
    ASSERT_TRUE(WaitForInstallerRecord());
    EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
  } else {
    EXPECT_EQ(InstallerRecord(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Installers, SignedProgram,
    ::testing::Values(
        TRow{"installer_signed.exe", "installer signed by our publisher"},
        TRow{"installer_signed_sha384.exe", "installer signed by our publisher"},
        TRow{"installer_signed.exe", "installer signed by our publisher", "ORVUpdate_sha512.exe"},
        TRow{"installer_other.exe", "installer refused: installer signed by another publisher",
             "ORVUpdate_sha512.exe"},
        TRow{"installer_signed.exe",
             "installer refused: own signature unreadable: bytes after the certificate table",
             "ORVUpdate_trailing.exe"},
        TRow{"installer_unsigned.exe", "installer refused: own signature unreadable",
             "ORVUpdate_trailing.exe"},
        TRow{"installer_signed_sha1.exe", "installer refused: installer signature malformed: weak digest"},
        TRow{"installer_second_entry.exe",
             "installer refused: installer signature malformed: bytes after the signature in the certificate "
             "table"},
        TRow{"installer_entry_padding.exe",
             "installer refused: installer signature malformed: bytes after the signature in the certificate "
             "table"},
        TRow{"installer_section_tail.exe",
             "installer refused: installer signature malformed: certificate table overlaps the image"},
        TRow{"installer_old_version.exe",
             "installer refused: installer version 0.0.0.1 differs from the offered 1.0.0.2"},
        TRow{"installer_no_version.exe",
             "installer refused: installer has no file version (no version resource)"},
        TRow{"installer_unsigned.exe", "installer refused: installer unsigned"},
        TRow{"installer_other.exe", "installer refused: installer signed by another publisher"},
        TRow{"installer_tampered.exe", "installer refused: installer changed after signing"},
        TRow{"installer_truncated.exe",
             "installer refused: installer signature malformed: truncated signature"},
        TRow{
            "installer_past_end.exe",
            "installer refused: installer signature malformed: certificate table past the end of the file"}));

// The shown dialog of a signed program: the failure page, nothing started.
class SignedProgramDialog : public DialogTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }
  CDialogDriver m_driver;
};

TEST_F(SignedProgramDialog, ShowsTheFailureForAnInstallerChangedAfterSigning) {
  if (!platform::SystemChecksCodeSignatures()) GTEST_SKIP() << "no code signing on this system";
  m_env->dir().Write("files/Update.exe", ReadFileBytes(Fixture("installer_tampered.exe")));
  ASSERT_TRUE(m_driver.Open(true));
  m_driver.dialog().GetJob().m_publisherProgram = Utf8ToUtf16(Fixture("ORVUpdate.exe"));
  ASSERT_TRUE(
      m_driver.PumpUntil([this] { return m_driver.PageOf(u"tab_main") == 1; }, std::chrono::seconds(10)));
  ASSERT_TRUE(m_driver.Click(u"btn_update"));
  ASSERT_TRUE(
      m_driver.PumpUntil([this] { return m_driver.IsShown(u"lab_error"); }, std::chrono::seconds(20)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(RequestCount("files/Update.exe"), 1u);
  ASSERT_TRUE(m_driver.Click(u"sysclosebutton"));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_EQ(InstallerRecord(), "");
}

// A job that re-points a link of the data path as soon as the check has
// opened the installer, as an attacker who owns that link would.
class CRepointingJob : public CUpdateJob {
 public:
  CRepointingJob(fs::path link, fs::path to) : m_link(std::move(link)), m_to(std::move(to)) {}
  void OnInstallerCheckProgress(uint64_t checked) override {
    if (checked != 0 || m_repointed) return;
    std::string why;
    m_repointed = MakeFolderLink(m_to, m_link, &why);
  }
  bool m_repointed = false;

 private:
  fs::path m_link, m_to;
};

class LinkedDataFolder : public PublisherCheckTest {};

// The data folder lies behind a link the user owns; re-pointed to a folder
// with another program after the check opened the installer, it does not
// change what starts.
TEST_F(LinkedDataFolder, RepointedDuringTheCheckDoesNotChangeWhatStarts) {
  const fs::path root = m_env->dir().path(), link = root / "link";
  const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));
  for (const char* folder : {"checked", "other"}) fs::create_directories(root / folder / "Update");
  m_env->dir().Write("other/Update/Update.exe", ProgramBytes("orv_installer_swapped"));
  std::string why;
  // Wine would empty the folder a host link leads to when the test's folder goes.
  const std::unique_ptr<const fs::path, void (*)(const fs::path*)> unlink(
      &link, [](const fs::path* at) { RemoveFolderLink(*at); });
  ASSERT_TRUE(MakeFolderLink(root / "checked", link, &why)) << why;
  const bool signedProgram = platform::SystemChecksCodeSignatures();
  m_env->dir().Write("files/Update.exe", signedProgram ? ReadFileBytes(Fixture("installer_signed.exe"))
                                                       : ProgramBytes("orv_installer_stub"));
  CCfgApp app;
  ASSERT_EQ(app.WriteString(u"AppDataPath", Utf8ToUtf16(link.string() + kSep).c_str(), platform::kRegSz), 0);
  CRepointingJob job(link, root / "other");
  if (signedProgram) job.m_publisherProgram = Utf8ToUtf16(Fixture("ORVUpdate.exe"));
  job.m_strNewVersion = u"1.0.0.2";
  job.m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
  job.m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
  InstallThread(std::shared_ptr<CUpdateJob>(&job, [](CUpdateJob*) {}));
  EXPECT_TRUE(job.m_repointed);
  EXPECT_FALSE(job.m_bFailed.load());
  EXPECT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

InstallerDigests DigestsOf(const std::string& name) {
  platform::CCheckedProgram file;
  EXPECT_TRUE(file.Open(Utf8ToUtf16(Fixture(name))));
  return ReadInstallerDigests(&file, [](uint64_t) { return true; });
}

// The MD5 and the image digest come from one pass.
TEST(InstallerDigests, OnePassGivesBothDigests) {
  const InstallerDigests signed_ = DigestsOf("installer_signed.exe"),
                         tampered = DigestsOf("installer_tampered.exe");
  EXPECT_EQ(Utf16ToUtf8(signed_.md5), Md5HexOf(ReadFileBytes(Fixture("installer_signed.exe"))));
  EXPECT_TRUE(signed_.imageDigestMatches);
  EXPECT_EQ(tampered.signature, InstallerSignature::kPresent);
  EXPECT_FALSE(tampered.imageDigestMatches);
  // A pass stopped after its first block (a close) gives no MD5.
  platform::CCheckedProgram file;
  ASSERT_TRUE(file.Open(Utf8ToUtf16(Fixture("installer_signed.exe"))));
  EXPECT_EQ(ReadInstallerDigests(&file, [](uint64_t checked) { return checked == 0; }).md5, u"");
}

// A key pinned for a certificate renewal lets another signer's installer in.
TEST(PinnedPublisherKeys, AcceptAnotherSigner) {
  if (!platform::SystemChecksCodeSignatures()) GTEST_SKIP() << "no code signing on this system";
  const auto pinned = code_signing::ParsePinnedPublisherKeys(ReadFileBytes(Fixture("publisher_b.key")));
  ASSERT_EQ(pinned.size(), 1u);
  const InstallerDigests other = DigestsOf("installer_other.exe");
  OurPublisher publisher;
  publisher.checked = true;
  EXPECT_EQ(PublisherRefusal(publisher, other), "installer signed by another publisher");
  publisher.keys = pinned;
  EXPECT_EQ(PublisherRefusal(publisher, other), "");
}

}  // namespace
