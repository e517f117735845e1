// The Windows pipe backend against pipe ends made here with the plain Win32
// calls: the "\\.\Global\Pipe\" name reaches a pipe created as
// "\\.\pipe\", message-mode servers work, and the listener serves a client
// opened with CreateFileW.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/pipe_names.h"
#include "platform/pipe/pipe_connection.h"

namespace {

using platform::PipeStatus;

std::wstring PlainPipeName(const std::string& name) {
  return L"\\\\.\\pipe\\" + std::wstring(name.begin(), name.end());
}

// A blocking server instance made with CreateNamedPipeW, closed on scope exit.
class CRawServer {
 public:
  CRawServer(const std::string& name, DWORD type)
      : m_pipe(CreateNamedPipeW(PlainPipeName(name).c_str(), PIPE_ACCESS_DUPLEX, type | PIPE_WAIT, 1, 4096,
                                4096, 0, nullptr)) {}
  ~CRawServer() { Close(); }
  bool IsOpen() const { return m_pipe != INVALID_HANDLE_VALUE; }
  bool Accept() { return ConnectNamedPipe(m_pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED; }
  bool Send(const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(m_pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }
  std::string Receive(size_t size) {
    std::string bytes(size, '\0');
    DWORD count = 0;
    size_t filled = 0;
    while (filled < size &&
           ReadFile(m_pipe, &bytes[filled], static_cast<DWORD>(size - filled), &count, nullptr)) {
      filled += count;
    }
    bytes.resize(filled);
    return bytes;
  }
  void Close() {
    if (IsOpen()) CloseHandle(m_pipe);
    m_pipe = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_pipe;
};

std::string ReadAll(platform::PipeConnection* connection, size_t size) {
  std::string received;
  char chunk[platform::kPipeReadSize];
  while (received.size() < size) {
    size_t count = 0;
    if (connection->Read(chunk, sizeof(chunk), &count, nullptr) != PipeStatus::kOk) break;
    received.append(chunk, count);
  }
  return received;
}

TEST(PipeConnectionWin32, PathsUseTheGlobalPipeFolder) {
  EXPECT_EQ(platform::PipePath("OrvaneSvcLpc"), "\\\\.\\Global\\Pipe\\OrvaneSvcLpc");
  EXPECT_EQ(platform::PipePath("a\\b"), "");
  const std::string prefix = "\\\\.\\Global\\Pipe\\";
  EXPECT_EQ(platform::PipePath(std::string(256 - prefix.size(), 'n')).size(), 256u);
  EXPECT_EQ(platform::PipePath(std::string(257 - prefix.size(), 'n')), "");
}

TEST(PipeConnectionWin32, ClientReachesAPlainPipeAndReadsLongMessagesWhole) {
  const std::string name = UniquePipeName();
  CRawServer server(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE);
  ASSERT_TRUE(server.IsOpen());
  platform::PipeConnection client;
  ASSERT_TRUE(client.Open(name));
  ASSERT_TRUE(server.Accept());
  // One message longer than a read: the client takes it in several reads.
  // The server's write waits for the reads, so it runs beside them.
  const std::string message(3 * platform::kPipeReadSize + 7, 'm');
  bool sent = false;
  std::thread writer([&] { sent = server.Send(message); });
  EXPECT_EQ(ReadAll(&client, message.size()), message);
  writer.join();
  EXPECT_TRUE(sent);
  ASSERT_TRUE(client.Write("answer", 7));
  EXPECT_EQ(server.Receive(7), std::string("answer", 7));
  // A second client finds the only instance taken.
  platform::PipeConnection other;
  EXPECT_FALSE(other.Open(name));
  ASSERT_TRUE(server.Send("last"));
  server.Close();
  EXPECT_EQ(ReadAll(&client, 4), "last");
  char byte = 0;
  size_t count = 0;
  EXPECT_EQ(client.Read(&byte, 1, &count, nullptr), PipeStatus::kClosed);
  EXPECT_FALSE(client.Write("x", 1));
}

TEST(PipeConnectionWin32, ListenerServesAClientOpenedWithCreateFileW) {
  const std::string name = UniquePipeName();
  platform::PipeListener listener;
  ASSERT_TRUE(listener.Listen(name));
  const HANDLE raw = CreateFileW(PlainPipeName(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(raw, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(raw, "ping", 4, &written, nullptr));
  platform::PipeConnection server;
  ASSERT_EQ(listener.Accept(&server, [] { return false; }), PipeStatus::kOk);
  EXPECT_EQ(ReadAll(&server, 4), "ping");
  ASSERT_TRUE(server.Write("pong", 4));
  char reply[4] = {};
  DWORD count = 0;
  EXPECT_TRUE(ReadFile(raw, reply, sizeof(reply), &count, nullptr));
  EXPECT_EQ(std::string(reply, count), "pong");
  CloseHandle(raw);
  size_t received = 0;
  EXPECT_EQ(server.Read(reply, sizeof(reply), &received, nullptr), PipeStatus::kClosed);
}

TEST(PipeConnectionWin32, NameStaysTakenWhileAnAcceptedConnectionIsOpen) {
  const std::string name = UniquePipeName();
  platform::PipeConnection server;
  {
    platform::PipeListener listener;
    ASSERT_TRUE(listener.Listen(name));
    platform::PipeConnection client;
    ASSERT_TRUE(client.Open(name));
    ASSERT_EQ(listener.Accept(&server, nullptr), PipeStatus::kOk);
  }
  platform::PipeListener next;
  EXPECT_FALSE(next.Listen(name));
  server.Close();
  EXPECT_TRUE(next.Listen(name));
}

}  // namespace
