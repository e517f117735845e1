// An elevated update in a data folder that an ordinary user owns: that user
// plants links and files in the installer's folder beforehand. The run writes
// nothing through them, deletes nothing they lead to, and starts only an
// installer it downloaded itself. Runs as root only (the planting side is
// the user "nobody"); skipped otherwise.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/text.h"
#include "dialog_fixture.h"
#include "support/child_process.h"
#include "update_dialog/update_workers.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kOrdinaryUser = 65534;  // nobody

// Writes text to a new file at name; false when it cannot.
bool WriteNewFile(const char* name, const std::string& text) {
  const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL, 0644);
  const bool ok = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) close(fd);
  return ok;
}

// What a planting names: a folder only root may enter, root's file in it, and
// a resume text naming the installer's length. Made before the fork, so
// that the planting process only makes system calls.
struct TPlantNames {
  std::string rootOnly, rootsFile, resume;
};

// One planting, done inside the data folder by the ordinary user; true when
// everything was planted.
struct TPlantRow {
  const char* name;
  bool (*plant)(const TPlantNames& names);
  bool installerFetched;
};

void PrintTo(const TPlantRow& row, std::ostream* os) { *os << row.name; }

bool PartLinkedToRootsFile(const TPlantNames& names) {
  return mkdir("Update", 0755) == 0 && symlink(names.rootsFile.c_str(), "Update/Update.exe.part") == 0 &&
         WriteNewFile("Update/Update.exe.part.resume", names.resume);
}

bool PartOfTheUser(const TPlantNames& names) {
  return mkdir("Update", 0755) == 0 && WriteNewFile("Update/Update.exe.part", "the user's bytes") &&
         WriteNewFile("Update/Update.exe.part.resume", names.resume);
}

bool UpdateFolderLinkedToRootsFolder(const TPlantNames& names) {
  return symlink(names.rootOnly.c_str(), "Update") == 0;
}

class PlantedLinkTest : public DialogTest, public ::testing::WithParamInterface<TPlantRow> {
 protected:
  void SetUp() override {
    if (geteuid() != 0) {
      GTEST_SKIP() << "needs root: an ordinary user plants the links for a run as root";
    }
    DialogTest::SetUp();
    m_dataDir = m_env->DefaultDataDir();
    fs::create_directories(m_dataDir);
    ASSERT_EQ(chown(m_dataDir.c_str(), kOrdinaryUser, kOrdinaryUser), 0);
    m_rootOnly = m_env->dir().File("rootonly");
    m_env->dir().Write("rootonly/Update.exe", "root's own");
    ASSERT_EQ(chmod(m_rootOnly.c_str(), 0700), 0);
  }

  // Runs the row's planting in a process of the ordinary user.
  void PlantAsOrdinaryUser(const TPlantRow& row) {
    const size_t length = ProgramBytes("orv_installer_stub").size();
    const TPlantNames names{m_rootOnly, m_rootOnly + "/Update.exe",
                            "\"planted\"\n" + std::to_string(length) + "\n"};
    const pid_t child = fork();
    if (child == 0) {
      // The folder is entered as root: the user may not pass the test's folders.
      const bool dropped = chdir(m_dataDir.c_str()) == 0 && setgroups(0, nullptr) == 0 &&
                           setgid(kOrdinaryUser) == 0 && setuid(kOrdinaryUser) == 0;
      _exit(dropped && row.plant(names) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "planting failed";
  }

  std::string m_dataDir, m_rootOnly;
};

TEST_P(PlantedLinkTest, NothingIsWrittenThroughThemAndOnlyTheDownloadStarts) {
  const TPlantRow& row = GetParam();
  PlantAsOrdinaryUser(row);
  CUpdateJob job;
  job.m_strDownloadUrl = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe");
  job.m_strMd5Url = Utf8ToUtf16(m_server->BaseUrl() + "files/Update.exe.md5");
  InstallThread(std::shared_ptr<CUpdateJob>(&job, [](CUpdateJob*) {}));

  EXPECT_TRUE(ReadFileBytes(m_rootOnly + "/Update.exe") == "root's own") << "root's file was written";
  EXPECT_EQ(std::distance(fs::directory_iterator(m_rootOnly), fs::directory_iterator()), 1)
      << "something was written into root's folder";
  EXPECT_EQ(RequestCount("files/Update.exe") > 0, row.installerFetched);
  EXPECT_EQ(job.m_bFailed.load(), !row.installerFetched);
  if (!row.installerFetched) {
    EXPECT_EQ(InstallerRecord(), "");
    return;
  }
  struct stat st {};
  ASSERT_EQ(lstat(InstallerTarget().c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_uid, 0u);
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

INSTANTIATE_TEST_SUITE_P(Plantings, PlantedLinkTest,
                         ::testing::Values(TPlantRow{"PartLinkedToRootsFile", PartLinkedToRootsFile, true},
                                           TPlantRow{"PartOfTheUser", PartOfTheUser, true},
                                           TPlantRow{"UpdateFolderLinkedToRootsFolder",
                                                     UpdateFolderLinkedToRootsFolder, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
