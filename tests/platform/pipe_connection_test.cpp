// The pipe facility itself, on every system: names, listeners, cancellation
// and whole writes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/pipe_names.h"
#include "platform/system/path_separator.h"
#include "platform/pipe/pipe_connection.h"

namespace {

using platform::PipeStatus;

// A client connected to a listener on a fresh name, with the accepted end.
class ConnectedPipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = UniquePipeName();
    ASSERT_TRUE(listener.Listen(name));
    ASSERT_TRUE(client.Open(name));
    ASSERT_EQ(listener.Accept(&server, nullptr), PipeStatus::kOk);
  }

  platform::PipeListener listener;
  platform::PipeConnection client;
  platform::PipeConnection server;
};

TEST(PipeConnection, UnusableNamesHaveNoPath) {
  EXPECT_EQ(platform::PipePath(""), "");
  EXPECT_EQ(platform::PipePath(".."), "");
  EXPECT_EQ(platform::PipePath("a/b"), "");
  EXPECT_EQ(platform::PipePath("."), "");
  EXPECT_EQ(platform::PipePath(std::string("a\0b", 3)), "");
  EXPECT_EQ(platform::PipePath(std::string(300, 'n')), "");
  const std::string path = platform::PipePath("OrvaneSvcLpc");
  ASSERT_GE(path.size(), 13u);
  EXPECT_EQ(path.substr(path.size() - 13),
            static_cast<char>(platform::kPathSeparator) + std::string("OrvaneSvcLpc"));
}

TEST(PipeConnection, SecondListenerOnALiveNameFailsUntilTheFirstCloses) {
  const std::string name = UniquePipeName();
  platform::PipeListener first;
  ASSERT_TRUE(first.Listen(name));
  platform::PipeListener second;
  EXPECT_FALSE(second.Listen(name));
  first.Close();
  EXPECT_TRUE(second.Listen(name));
  platform::PipeConnection client;
  EXPECT_TRUE(client.Open(name));
  EXPECT_FALSE(client.Open(name));
}

TEST_F(ConnectedPipeTest, CancelEndsAWaitingReadAtOnceAndStaysInForce) {
  PipeStatus status = PipeStatus::kOk;
  std::thread reader([&] {
    char byte = 0;
    size_t count = 0;
    status = client.Read(&byte, 1, &count, nullptr);
  });
  client.CancelIo();
  reader.join();
  EXPECT_EQ(status, PipeStatus::kCancelled);
  EXPECT_FALSE(client.Write("x", 1));
}

TEST_F(ConnectedPipeTest, CancelMakesABlockedWriteFail) {
  // Far more than the pipe holds: the write blocks once the first bytes
  // have arrived, and only the cancel can end it.
  const std::string block(16 << 20, 'w');
  bool written = true;
  std::thread writer([&] { written = client.Write(block.data(), block.size()); });
  char chunk[platform::kPipeReadSize];
  size_t count = 0;
  ASSERT_EQ(server.Read(chunk, sizeof(chunk), &count, nullptr), PipeStatus::kOk);
  client.CancelIo();
  writer.join();
  EXPECT_FALSE(written);
}

TEST(PipeConnection, CancelEndsAWaitingAccept) {
  platform::PipeListener listener;
  ASSERT_TRUE(listener.Listen(UniquePipeName()));
  PipeStatus status = PipeStatus::kOk;
  std::thread acceptor([&] {
    platform::PipeConnection connection;
    status = listener.Accept(&connection, nullptr);
  });
  listener.CancelIo();
  acceptor.join();
  EXPECT_EQ(status, PipeStatus::kCancelled);
}

TEST(PipeConnection, PollingAcceptFindsOnlyConnectedClientsAndLeavesTheListenerUsable) {
  const std::string name = UniquePipeName();
  platform::PipeListener listener;
  ASSERT_TRUE(listener.Listen(name));
  platform::PipeConnection server;
  const auto poll = [] { return false; };
  EXPECT_EQ(listener.Accept(&server, poll), PipeStatus::kCancelled);
  EXPECT_EQ(listener.Accept(&server, poll), PipeStatus::kCancelled);
  platform::PipeConnection first;
  ASSERT_TRUE(first.Open(name));
  ASSERT_EQ(listener.Accept(&server, poll), PipeStatus::kOk);
  EXPECT_EQ(listener.Accept(&server, nullptr), PipeStatus::kFailed);  // still connected
  // The next client may connect before the next Accept is called.
  platform::PipeConnection second;
  ASSERT_TRUE(second.Open(name));
  platform::PipeConnection secondServer;
  ASSERT_EQ(listener.Accept(&secondServer, poll), PipeStatus::kOk);
  ASSERT_TRUE(second.Write("2", 1));
  ASSERT_TRUE(first.Write("1", 1));
  char byte = 0;
  size_t count = 0;
  ASSERT_EQ(secondServer.Read(&byte, 1, &count, nullptr), PipeStatus::kOk);
  EXPECT_EQ(byte, '2');
  ASSERT_EQ(server.Read(&byte, 1, &count, nullptr), PipeStatus::kOk);
  EXPECT_EQ(byte, '1');
}

TEST_F(ConnectedPipeTest, LargeWritesArriveWholeAndPeerCloseIsReported) {
  // Bigger than the pipe's buffer, so the writers block part-way; the
  // reader must still see each block whole.
  const std::string a(1 << 20, 'a');
  const std::string b(1 << 20, 'b');
  std::thread writerA([&] { EXPECT_TRUE(client.Write(a.data(), a.size())); });
  std::thread writerB([&] { EXPECT_TRUE(client.Write(b.data(), b.size())); });
  std::string received;
  char chunk[platform::kPipeReadSize];
  while (received.size() < a.size() + b.size()) {
    size_t count = 0;
    ASSERT_EQ(server.Read(chunk, sizeof(chunk), &count, nullptr), PipeStatus::kOk);
    received.append(chunk, count);
  }
  writerA.join();
  writerB.join();
  const bool aFirst = received.front() == 'a';
  EXPECT_EQ(received, aFirst ? a + b : b + a);

  client.Close();
  size_t count = 0;
  EXPECT_EQ(server.Read(chunk, sizeof(chunk), &count, nullptr), PipeStatus::kClosed);
}

}  // namespace
