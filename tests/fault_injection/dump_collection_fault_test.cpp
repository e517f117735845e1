// The silent mode's dump collection and upload in a hostile environment: a
// data folder that fills up, file names the system cannot convert, files
// that are not plain files, links planted in the install and data folders, a
// storage server that keeps an upload but never answers.
// The program runs as the product runs it ("-auto"), against devserver.
// Every case ends within the program's wait bound (kRunBound) and loses no
// dump: whatever was not uploaded is still on disk, byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>

#include "common/text.h"
#include "fault_injection/bounded_clock.h"
#include "support/child_process.h"
#include "support/product_settings.h"
#include "support/program_with_server.h"

namespace fs = std::filesystem;

namespace {

// How long one "-auto" run may take here (no wait, loopback server).
constexpr auto kRunBound = std::chrono::seconds(30);

// Bytes that do not compress, so that sizes on disk are what the test plans.
std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>(seed >> 16);
  }
  return bytes;
}

class DumpCollectionFaultTest : public ProgramWithServerTest {
 protected:
  void SetUp() override {
    ProgramWithServerTest::SetUp();
    dataDir = env.dir().File("data/");
    fs::create_directories(dataDir);
    ASSERT_TRUE(SetProductString(u"AppDataPath", Utf8ToUtf16(dataDir)));
  }

  void TearDown() override {
    if (m_mounted) umount2(dataDir.c_str(), MNT_DETACH);
  }

  // Runs "-auto" without its wait; false when it did not end in time.
  bool RunAuto() {
    ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
    CBoundedClock clock;
    const bool ended = Run({"-auto"}, kRunBound).has_value();
    clock.Report("gave_up_ms");
    return ended;
  }

  // Test mode: the program logs what went wrong, next to itself.
  void EnterTestMode() {
    env.dir().Write("data/AppTest.txt", "");
    m_testApi = std::make_unique<ScopedEnv>("ORV_API_BASE_TEST", server->BaseUrl());
    const std::string proxy = "127.0.0.1:" + std::to_string(server->Port());
    m_testProxy = std::make_unique<ScopedEnv>("ORV_TEST_PROXY", proxy);
  }
  std::string Log() const { return ReadFileBytes(program + ".log"); }

  // Writes a dump into the install folder and remembers its bytes.
  void Dump(const std::string& name, const std::string& bytes) {
    env.dir().Write("install/" + name, bytes);
    m_dumps[name] = bytes;
  }
  // Every remembered dump is still there, unchanged.
  void ExpectNoDumpLost() {
    for (const auto& [name, bytes] : m_dumps) {
      EXPECT_EQ(ReadFileBytes(installDir + name), bytes) << name << " was lost or changed";
    }
  }
  std::vector<std::string> StoredObjects() const {
    std::vector<std::string> stored;
    if (!fs::exists(server->StorageDir())) return stored;
    for (const auto& entry : fs::recursive_directory_iterator(server->StorageDir())) {
      if (entry.is_regular_file()) stored.push_back(entry.path().string());
    }
    return stored;
  }

  // Makes the data folder a file system of the given size: a tmpfs mounted
  // over it when the test may mount, else the file-size limit the program
  // inherits (any write past it fails, as on a full disk).
  void LimitDataFolder(size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    if (geteuid() == 0 && mount("tmpfs", dataDir.c_str(), "tmpfs", 0, options.c_str()) == 0) {
      m_mounted = true;
      return;
    }
    m_fileLimit = bytes;
  }
  void LiftDataFolderLimit() {
    if (m_mounted) {
      ASSERT_EQ(mount("tmpfs", dataDir.c_str(), "tmpfs", MS_REMOUNT, "size=64m"), 0);
    }
    m_fileLimit = 0;
  }
  // RunAuto under the file-size limit, when one is set.
  bool RunAutoLimited() {
    if (m_fileLimit == 0) return RunAuto();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limited{m_fileLimit, old.rlim_max};
    // The limit and the ignored SIGXFSZ are inherited by the program.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool ended = RunAuto();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return ended;
  }

  // How many stored objects hold an entry of that name.
  size_t ObjectsHolding(const std::string& entryName) const {
    size_t holding = 0;
    for (const auto& object : StoredObjects()) {
      holding += ReadFileBytes(object).find(entryName) != std::string::npos;
    }
    return holding;
  }

  std::string dataDir;
  std::unique_ptr<ScopedEnv> m_testApi, m_testProxy;
  std::map<std::string, std::string> m_dumps;
  bool m_mounted = false;
  rlim_t m_fileLimit = 0;
};

// What no longer fits in a data folder that fills up, and the log line that
// says so. The cut archive used to be uploaded and every dump deleted; then
// a full disk went unmentioned for the archive and logged only a transport
// code for the installer.
struct FullFolderCase {
  const char* name;
  size_t configBytes;     // the install folder's "Config", archived after the dumps
  size_t installerBytes;  // the installer offered after the upload; 0: devserver's demo one
  const char* logLine;
  size_t storedWhenFull;  // objects the run with the full folder stores
};

const FullFolderCase kFullFolderCases[] = {
    {"DumpArchive", 200000, 0, "dump archive not written: disk full", 0},
    {"Installer", 100, 200000, "download failed: disk full", 1},
};

void PrintTo(const FullFolderCase& c, std::ostream* out) { *out << c.name; }

class FullDataFolderTest : public DumpCollectionFaultTest,
                           public ::testing::WithParamInterface<FullFolderCase> {};

// Bound: kRunBound per run.
TEST_P(FullDataFolderTest, SaysDiskFullAndKeepsEveryDump) {
  const FullFolderCase& c = GetParam();
  Dump("a.dmp", Noise(12000, 1));
  Dump("sub/b.dmp", Noise(12000, 2));
  env.dir().Write("install/Config", Noise(c.configBytes, 3));
  env.dir().Write("install/VERSION", "1.0.0.9");
  if (c.installerBytes > 0) {
    devserver::Reply installer;
    installer.body = Noise(c.installerBytes, 4);
    installer.contentType = "application/octet-stream";
    server->SetReply("files/Update.exe", installer);
  }
  LimitDataFolder(64 * 1024);
  EnterTestMode();
  ASSERT_TRUE(RunAutoLimited());
  EXPECT_NE(Log().find(c.logLine), std::string::npos) << Log();
  EXPECT_EQ(StoredObjects().size(), c.storedWhenFull);
  if (c.storedWhenFull == 0) ExpectNoDumpLost();

  // With room again the next run uploads them and only then deletes them.
  LiftDataFolderLimit();
  ASSERT_TRUE(RunAuto());
  EXPECT_EQ(StoredObjects().size(), 1u);
  EXPECT_FALSE(fs::exists(installDir + "a.dmp"));
  EXPECT_FALSE(fs::exists(installDir + "sub/b.dmp"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FullDataFolderTest, ::testing::ValuesIn(kFullFolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The storage server keeps the archive, and its answer never comes before the
// program is ended. The next run used to send the same dumps again under a
// new key: two objects held them. Dumps that came since go in an archive of
// their own. Bound: kRunBound per run.
class InterruptedUploadTest : public DumpCollectionFaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InterruptedUploadTest, EveryDumpIsStoredOnce) {
  const bool dumpBetweenRuns = GetParam();
  Dump("a.dmp", Noise(3000, 1));
  Dump("sub/b.dmp", Noise(3000, 2));
  devserver::Reply kept;
  kept.storeFirst = true;
  kept.delayMs = 600000;
  devserver::Reply answered;
  answered.storeFirst = true;
  server->SetReplies("storage/", {kept, answered});
  {
    ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
    ChildProcess first(program, {"ORVUpdate.exe", "-auto"});
    // The request log holds a PUT once its body is stored whole.
    const auto isPut = [](const devserver::LoggedRequest& r) { return r.method == "PUT"; };
    ASSERT_TRUE(WaitFor(
        [&] {
          const auto requests = server->Requests();
          return std::any_of(requests.begin(), requests.end(), isPut);
        },
        kRunBound));
    first.Kill();
  }
  const auto firstObjects = StoredObjects();
  ASSERT_EQ(firstObjects.size(), 1u);
  if (dumpBetweenRuns) Dump("c.dmp", Noise(3000, 3));

  ASSERT_TRUE(RunAuto());
  const auto stored = StoredObjects();
  EXPECT_EQ(stored.size(), dumpBetweenRuns ? 2u : 1u);
  EXPECT_NE(std::find(stored.begin(), stored.end(), firstObjects[0]), stored.end());
  for (const auto& [name, bytes] : m_dumps) {
    EXPECT_EQ(ObjectsHolding(fs::path(name).filename().string()), 1u) << name;
    EXPECT_FALSE(fs::exists(installDir + name)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, InterruptedUploadTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "NewDumpMeanwhile" : "SameDumps");
});

// A name in Latin-1 bytes on a UTF-8 system cannot be converted; it used to
// throw out of the walk and end the program before any upload.
TEST_F(DumpCollectionFaultTest, UnconvertibleNameIsSkipped) {
  Dump("good.dmp", "good dump");
  const std::string latin1 = installDir + "caf\xE9.dmp";
  { std::ofstream(latin1) << "latin-1 named dump"; }
  ASSERT_TRUE(RunAuto());
  ASSERT_EQ(StoredObjects().size(), 1u);
  EXPECT_FALSE(fs::exists(installDir + "good.dmp"));
  EXPECT_EQ(ReadFileBytes(latin1), "latin-1 named dump");  // skipped, kept
}

// Only regular files are collected and no link is followed: a FIFO named
// *.dmp hung the run (holding the upload mutex), a link to /dev/zero grew the
// archive without end, a link to a private file uploaded that file, and a
// link named Dumps.zip had its target overwritten. Bound: kRunBound.
TEST_F(DumpCollectionFaultTest, OnlyRegularFilesAreCollectedAndNoLinkIsFollowed) {
  Dump("real.dmp", "real dump");
  ASSERT_EQ(mkfifo((installDir + "fifo.dmp").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", installDir + "zero.dmp");
  env.dir().Write("private/secret", "the private file");
  fs::create_symlink(env.dir().File("private/secret"), installDir + "secret.dmp");
  fs::create_symlink(env.dir().File("private/secret"), installDir + "Config");
  env.dir().Write("private/victim", "must stay");
  fs::create_symlink(env.dir().File("private/victim"), dataDir + "Dumps.zip");

  ASSERT_TRUE(RunAuto());
  const auto stored = StoredObjects();
  ASSERT_EQ(stored.size(), 1u);
  const std::string archive = ReadFileBytes(stored[0]);
  EXPECT_NE(archive.find("real.dmp"), std::string::npos);
  for (const char* absent : {"fifo.dmp", "zero.dmp", "secret.dmp", "Config", "the private file"}) {
    EXPECT_EQ(archive.find(absent), std::string::npos) << absent;
  }
  EXPECT_EQ(ReadFileBytes(env.dir().File("private/victim")), "must stay");
  EXPECT_FALSE(fs::is_symlink(dataDir + "Dumps.zip"));
  EXPECT_TRUE(fs::is_fifo(installDir + "fifo.dmp"));
  EXPECT_EQ(ReadFileBytes(env.dir().File("private/secret")), "the private file");
}

// Without a runtime folder, and with the shared lock folder made first by
// another user, the locks go under the application-data folder. For an
// account without ~/.local/share yet that fallback could not be made: "-auto"
// took neither lock, uploading nothing and asking for no update.
TEST_F(DumpCollectionFaultTest, SquattedLockFolderAndNoDataHomeYet) {
  Dump("a.dmp", "a dump");
  const std::string temp = env.dir().File("tmp");
  const std::string squatted = temp + "/orvane-mutex-" + std::to_string(geteuid());
  fs::create_directories(squatted);
  fs::permissions(squatted, fs::perms::all);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(squatted.c_str(), 65534, 65534), 0);
  }
  fs::create_directories(env.dir().File("home"));
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
  ScopedEnv noDataHome("XDG_DATA_HOME", "");
  ScopedEnv home("HOME", env.dir().File("home"));
  ScopedEnv tmpdir("TMPDIR", temp);

  ASSERT_TRUE(RunAuto());
  EXPECT_EQ(StoredObjects().size(), 1u);
  size_t queries = 0;
  for (const auto& request : server->Requests()) queries += request.r == "api/update/v2";
  EXPECT_EQ(queries, 1u);
  EXPECT_TRUE(fs::is_directory(env.dir().File("home/.local/share/orvane/mutex")));
}

}  // namespace
