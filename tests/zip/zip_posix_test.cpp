// Writer behaviour that needs POSIX to provoke: write failures under a file
// size limit, a pipe as the source, a source that fails while being read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <thread>

#include "zip/zip_test_util.h"

namespace {

constexpr rlim_t kSizeLimit = 64 * 1024;

// In a child process limited to kSizeLimit bytes per file: adds a small entry,
// a large deflated one and a large stored one, then closes. Returns the four
// result codes as text, in that order.
std::string PackUnderSizeLimit(const TempDir& dir) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);  // turn the limit into EFBIG from write()
    const rlimit limit{kSizeLimit, kSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    HZIP zip = ZipArchiveCreate(U16(dir.File("limited.zip")).c_str());
    const uint32_t small = ZipArchiveAddFile(zip, u"small.txt", U16(dir.File("small.txt")).c_str());
    const uint32_t deflated = ZipArchiveAddFile(zip, u"big.dmp", U16(dir.File("big.bin")).c_str());
    const uint32_t stored = ZipArchiveAddFile(zip, u"big.zip", U16(dir.File("big.bin")).c_str());
    const uint32_t closed = ZipArchiveClose(zip);
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%x %x %x %x", small, deflated, stored, closed);
    (void)!write(fds[1], text, static_cast<size_t>(n));
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[64];
  ssize_t got;
  while ((got = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

TEST(ZipPosix, WriteFailuresOfDeflatedAndStoredDataAreReported) {
  TempDir dir;
  dir.Write("small.txt", "small");
  dir.Write("big.bin", NoiseBytes(1 << 20, 5));
  // The big entry's local header still fits under the limit, so only a
  // failure seen while the data go out can make its add fail.
  EXPECT_EQ(PackUnderSizeLimit(dir), "0 400 400 400");
  EXPECT_EQ(std::filesystem::file_size(dir.File("limited.zip")), kSizeLimit);
}

TEST(ZipPosix, PipeSourceHasNoSizeAndNoDiskAttributes) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string content = TextBytes(100000);
  std::thread feeder([&] {
    const int fd = open(fifo.c_str(), O_WRONLY);
    if (fd < 0) return;
    (void)!write(fd, content.data(), content.size());
    close(fd);
  });
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("a.zip"), {{"pipe.dmp", fifo}}));
  feeder.join();
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].externalAttributes, 0x80000000u);
  EXPECT_EQ(a.entries[0].uncompressedSize, content.size());
  EXPECT_EQ(a.entries[0].crc, Crc32Of(content));
  bool ok = false;
  EXPECT_EQ(EntryContent(a.entries[0], &ok), content);
}

TEST(ZipPosix, SourceReadErrorFailsTheAdd) {
  TempDir dir;
  HZIP zip = ZipArchiveCreate(U16(dir.File("a.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  // Reading this process's memory at offset 0 fails with EIO.
  EXPECT_EQ(ZipArchiveAddFile(zip, u"mem.dmp", u"/proc/self/mem"), kZipResultWriteFailed);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"mem.zip", u"/proc/self/mem"), kZipResultWriteFailed);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  const ParsedArchive a = ParseArchive(ReadFileBytes(dir.File("a.zip")));
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.entries.size(), 0u);
}

}  // namespace
