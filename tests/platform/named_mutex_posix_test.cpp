// The lock-file stand-in seen from other processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/system/named_mutex.h"
#include "support/test_environment.h"

namespace {

// Creates name in a fresh process and reports whether it already existed
// there (exit 1), was created (exit 0) or failed (exit 2).
int CreateInChild(const std::u16string& name) {
  const pid_t child = fork();
  if (child == 0) {
    platform::NamedMutex mutex;
    bool existed = false;
    if (!mutex.Create(name, &existed)) _exit(2);
    _exit(existed ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WEXITSTATUS(status);
}

}  // namespace

TEST(NamedMutexStandIn, SecondHandleSeesItExistsUntilAllAreClosed) {
  TestEnvironment env;
  platform::NamedMutex first;
  bool existed = true;
  ASSERT_TRUE(first.Create(u"Orvane_Update", &existed));
  EXPECT_FALSE(existed);
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 1);
  EXPECT_EQ(CreateInChild(u"Orvane_UpLoadDumps"), 0);  // names are independent

  platform::NamedMutex second;
  ASSERT_TRUE(second.Create(u"Orvane_Update", &existed));
  EXPECT_TRUE(existed);
  EXPECT_TRUE(first.Close());
  EXPECT_FALSE(first.Close());
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 1);  // the second handle keeps it alive
  second.Close();
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 0);
}

TEST(NamedMutexStandIn, EmptyNameFails) {
  TestEnvironment env;
  platform::NamedMutex mutex;
  bool existed = false;
  EXPECT_FALSE(mutex.Create(u"", &existed));
  EXPECT_FALSE(mutex.IsOpen());
}

// Without a runtime folder the locks would sit in a folder of the shared
// temporary folder; another user who made that folder first could hold every
// lock and silently stop the upload and the update. A folder that is not
// the user's own, or that others may enter, is not used.
TEST(NamedMutexStandIn, SquattedSharedFolderIsRefused) {
  TestEnvironment env;
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", "");
  const std::filesystem::path temp = env.dir().path() / "tmp";
  std::filesystem::create_directories(temp);
  ScopedEnv tmpdir("TMPDIR", temp.string());
  const std::filesystem::path squatted = temp / ("orvane-mutex-" + std::to_string(geteuid()));
  ASSERT_EQ(mkdir(squatted.c_str(), 0700), 0);
  ASSERT_EQ(chmod(squatted.c_str(), 0777), 0);
  // A squatter that is another user owns it; as root the test can stage that.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(squatted.c_str(), 65534, 65534), 0);
  }
  const std::string held = (squatted / "Orvane_UpLoadDumps.lock").string();
  const int squatter = open(held.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(squatter, 0);
  ASSERT_EQ(flock(squatter, LOCK_EX | LOCK_NB), 0);

  platform::NamedMutex mutex;
  bool existed = true;
  ASSERT_TRUE(mutex.Create(u"Orvane_UpLoadDumps", &existed));
  EXPECT_FALSE(existed);
  EXPECT_EQ(CreateInChild(u"Orvane_UpLoadDumps"), 1);  // still a marker between processes
  close(squatter);
}

// A link planted in place of the folder or of a lock file is not followed.
TEST(NamedMutexStandIn, LinksAreNotFollowed) {
  TestEnvironment env;
  const std::filesystem::path runtime = env.dir().path() / "runtime";
  const std::filesystem::path elsewhere = env.dir().path() / "elsewhere";
  std::filesystem::create_directories(elsewhere);
  ASSERT_EQ(chmod(elsewhere.c_str(), 0700), 0);
  std::filesystem::create_directory_symlink(elsewhere, runtime / "orvane-mutex");
  platform::NamedMutex mutex;
  bool existed = true;
  ASSERT_TRUE(mutex.Create(u"Orvane_Update", &existed));
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
  mutex.Close();

  // The folder is now the private fallback; a lock file there that is a link fails.
  const std::filesystem::path fallback = std::filesystem::path(env.AppDataHome()) / "orvane" / "mutex";
  ASSERT_TRUE(std::filesystem::is_directory(fallback));
  std::filesystem::create_symlink(elsewhere / "victim", fallback / "Orvane_Other.lock");
  EXPECT_FALSE(mutex.Create(u"Orvane_Other", &existed));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "victim"));
}
