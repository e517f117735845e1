// The POSIX pipe stand-in's own behaviour: socket files under $ORV_PIPE_DIR,
// the shared folder, stale sockets of dead listeners, removal on close.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "lpc/test_peer.h"
#include "platform/pipe_connection.h"
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
