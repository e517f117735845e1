// The POSIX pipe stand-in's own behaviour: socket files under $ORV_PIPE_DIR,
// the shared folder, stale sockets of dead listeners, removal on close.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support/pipe_names.h"
#include "platform/pipe/pipe_connection.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Leaves a socket file at path that nobody listens on, as a killed
// listener does.
bool LeaveStaleSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return bound;
}

TEST(PipePosix, PathsLieInThePipeFolderWhichListenCreatesForEveryone) {
  TempDir dir;
  const std::string folder = dir.File("pipes/nested");
  {
    ScopedEnv unset("ORV_PIPE_DIR", "");
    EXPECT_EQ(platform::PipePath("OrvaneSvcLpc"), "/tmp/orvane-pipe/OrvaneSvcLpc");
  }
  ScopedEnv env("ORV_PIPE_DIR", folder);
  const std::string name = UniquePipeName();
  const std::string path = platform::PipePath(name);
  EXPECT_EQ(path, folder + "/" + name);
  platform::PipeListener listener;
  ASSERT_TRUE(listener.Listen(name));
  EXPECT_EQ(ModeOf(folder) & 07777, 01777u);
  EXPECT_TRUE(S_ISSOCK(ModeOf(path)));
  EXPECT_EQ(ModeOf(path) & 0777, 0666u);
  listener.Close();
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PipePosix, StaleSocketIsReplacedButOtherFilesAreKept) {
  TempDir dir;
  ScopedEnv env("ORV_PIPE_DIR", dir.path().string());
  const std::string stale = UniquePipeName();
  ASSERT_TRUE(LeaveStaleSocket(platform::PipePath(stale)));
  platform::PipeListener listener;
  ASSERT_TRUE(listener.Listen(stale));
  platform::PipeConnection client;
  EXPECT_TRUE(client.Open(stale));

  const std::string taken = UniquePipeName();
  dir.Write(taken, "not a socket");
  platform::PipeListener other;
  EXPECT_FALSE(other.Listen(taken));
  EXPECT_EQ(ReadFileBytes(dir.File(taken)), "not a socket");
}

}  // namespace

namespace {

constexpr uid_t kSquatter = 65533;

// Runs body in a child process under uid (and the same gid); returns its
// exit status, or -1 when it did not end normally.
template <typename Body>
int RunAs(uid_t uid, Body body) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(uid) != 0 || setuid(uid) != 0) _exit(90);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// Only root (the service) or the same user may be the other end: a listener
// that another user put under the name is refused before anything is sent.
TEST(PipePosix, ListenerOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "staging a listener of another user needs root";
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  ScopedEnv pipeDir("ORV_PIPE_DIR", dir.File("pipes"));
  const std::string name = UniquePipeName();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t squatter = fork();
  if (squatter == 0) {
    if (setgid(kSquatter) != 0 || setuid(kSquatter) != 0) _exit(90);
    platform::PipeListener listener;
    if (!listener.Listen(name)) _exit(91);
    [[maybe_unused]] const ssize_t told = write(ready[1], "r", 1);
    sleep(10);  // ended by the test
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  platform::PipeConnection client;
  EXPECT_FALSE(client.Open(name));  // root trusts only root
  EXPECT_EQ(RunAs(65534, [&] { return platform::PipeConnection().Open(name) ? 1 : 0; }), 0);
  // The same user as the listener is trusted.
  EXPECT_EQ(RunAs(kSquatter, [&] { return platform::PipeConnection().Open(name) ? 0 : 1; }), 0);
  kill(squatter, SIGKILL);
  waitpid(squatter, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}
