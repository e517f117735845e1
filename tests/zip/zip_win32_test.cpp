// Writer behaviour on Windows that the portable tests cannot make: an entry
// name in a double-byte code page, a hidden source, a named pipe as the source (no size, no disk attributes,
// its end seen as the writer closing the pipe) and a named pipe as the
// archive, on which headers cannot be rewritten and writes fail once the
// reader has gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/system/codepage.h"
#include "zip/zip_test_util.h"

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = U16(utf8);
  return std::wstring(text.begin(), text.end());
}

// A pipe name of its own for each call.
std::wstring NewPipeName() {
  static std::atomic<int> counter{0};
  return L"\\\\.\\pipe\\orvzip-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter++);
}

HANDLE CreatePipeServer(const std::wstring& name, DWORD direction) {
  return CreateNamedPipeW(name.c_str(), direction, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
}

// Runs the calling thread under the Chinese (PRC) locale, whose ANSI code
// page is GBK (936), for the object's lifetime.
class CChineseThreadLocale {
 public:
  CChineseThreadLocale() : m_old(GetThreadLocale()) { SetThreadLocale(MAKELCID(0x0804, SORT_DEFAULT)); }
  ~CChineseThreadLocale() { SetThreadLocale(m_old); }

 private:
  LCID m_old;
};

TEST(ZipWin32, GbkCharacterEndingInTheBackslashByteKeepsIt) {
  TempDir dir;
  dir.Write("src.bin", "x");
  const CChineseThreadLocale chinese;
  // "乗" is 0x81 0x5C in GBK; only the real separator becomes "/".
  ASSERT_EQ(platform::WideToAnsi(u"乗"), "\x81\x5C");
  HZIP zip = ZipArchiveCreate(U16(dir.File("a.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"dumps\\乗.dmp", U16(dir.File("src.bin")).c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  const ParsedArchive a = ParseArchive(ReadFileBytes(dir.File("a.zip")));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].name, "dumps/\x81\x5C.dmp");
  EXPECT_EQ(a.entries[0].localName, a.entries[0].name);
}

TEST(ZipWin32, HiddenSourceKeepsTheHiddenBit) {
  TempDir dir;
  dir.Write("hidden.txt", "h");
  ASSERT_TRUE(SetFileAttributesW(Wide(dir.File("hidden.txt")).c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("a.zip"), {{"hidden", dir.File("hidden.txt")}}));
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.entries[0].externalAttributes, 0x81800022u);
}

TEST(ZipWin32, PipeSourceHasNoSizeAndNoDiskAttributes) {
  TempDir dir;
  const std::wstring name = NewPipeName();
  const HANDLE server = CreatePipeServer(name, PIPE_ACCESS_OUTBOUND);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const std::string content = TextBytes(100000);
  std::thread feeder([&] {
    if (ConnectNamedPipe(server, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      DWORD written = 0;
      WriteFile(server, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      FlushFileBuffers(server);
    }
    CloseHandle(server);
  });
  const std::string source(name.begin(), name.end());
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("a.zip"), {{"pipe.dmp", source}}));
  feeder.join();
  ExpectSinglePipeEntry(a, content);
}

TEST(ZipWin32, ArchiveOnAPipeReportsEveryFailedWrite) {
  TempDir dir;
  dir.Write("small.zip", "small");
  dir.Write("big.bin", NoiseBytes(1 << 20, 5));
  const std::wstring name = NewPipeName();
  const HANDLE server = CreatePipeServer(name, PIPE_ACCESS_INBOUND);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  // The reader takes the first 64 KiB and goes away.
  std::string received;
  std::thread reader([&] {
    if (ConnectNamedPipe(server, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      char buffer[4096];
      DWORD got = 0;
      while (received.size() < 65536 && ReadFile(server, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        received.append(buffer, got);
      }
    }
    CloseHandle(server);
  });
  HZIP zip = ZipArchiveCreate(std::u16string(name.begin(), name.end()).c_str());
  ASSERT_NE(zip, nullptr);
  // The small stored entry's data go out, but its header cannot be rewritten.
  EXPECT_EQ(ZipArchiveAddFile(zip, u"small.zip", U16(dir.File("small.zip")).c_str()), kZipResultWriteFailed);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"big.dmp", U16(dir.File("big.bin")).c_str()), kZipResultWriteFailed);
  reader.join();
  EXPECT_EQ(ZipArchiveAddFile(zip, u"big.zip", U16(dir.File("big.bin")).c_str()), kZipResultWriteFailed);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultWriteFailed);
  ASSERT_GE(received.size(), 30u + 9 + 17 + 5);
  EXPECT_EQ(received.substr(0, 4), std::string("PK\3\4", 4));
  EXPECT_EQ(received.substr(30, 9), "small.zip");
  EXPECT_EQ(received.substr(30 + 9 + 17, 5), "small");
}

}  // namespace
