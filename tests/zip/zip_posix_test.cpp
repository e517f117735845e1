// Writer behaviour that needs POSIX to provoke: write failures under a file
// size limit, a pipe as the source, a source that fails while being read,
// the stand-in's hidden files.
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

// In a child process limited to kSizeLimit bytes per file: adds each
// (entry name, source) to a new archive, then closes it. Returns the result
// codes of the adds and of the close as text.
std::string PackUnderSizeLimit(const std::string& archive, const std::vector<ZipInput>& inputs) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);  // turn the limit into EFBIG from write()
    const rlimit limit{kSizeLimit, kSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    HZIP zip = ZipArchiveCreate(U16(archive).c_str());
    std::string codes;
    for (const ZipInput& input : inputs) {
      const uint32_t result =
          ZipArchiveAddFile(zip, U16(input.entryName).c_str(), U16(input.sourcePath).c_str());
      codes += std::to_string(result) + " ";
    }
    codes += std::to_string(ZipArchiveClose(zip));
    (void)!write(fds[1], codes.data(), codes.size());
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

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

// The local header written before the data, as a failed add leaves it.
struct FirstHeader {
  uint32_t flags, method, crc, compressed, uncompressed;
  std::string name;
};

FirstHeader HeaderAt(const std::string& file, size_t at) {
  return {Le(file, at + 6, 2),  Le(file, at + 8, 2),  Le(file, at + 14, 4),
          Le(file, at + 18, 4), Le(file, at + 22, 4), file.substr(at + 30, Le(file, at + 26, 2))};
}

TEST(ZipPosix, WriteFailuresOfDeflatedAndStoredDataAreReported) {
  TempDir dir;
  dir.Write("small.txt", "small");
  dir.Write("big.bin", NoiseBytes(1 << 20, 5));
  // The big entry's local header still fits under the limit, so only a
  // failure seen while the data go out can make its add fail.
  const std::string archive = dir.File("limited.zip");
  EXPECT_EQ(PackUnderSizeLimit(archive, {{"small.txt", dir.File("small.txt")},
                                         {"big.dmp", dir.File("big.bin")},
                                         {"big.zip", dir.File("big.bin")}}),
            "0 1024 1024 1024");
  const std::string file = ReadFileBytes(archive);
  EXPECT_EQ(file.size(), kSizeLimit);
  // The deflated entry's header was never rewritten: it shows the values
  // written while its data were pending.
  const size_t second = file.find(std::string("PK\3\4", 4), 4);
  ASSERT_NE(second, std::string::npos);
  const FirstHeader h = HeaderAt(file, second);
  EXPECT_EQ(h.name, "big.dmp");
  EXPECT_EQ(h.flags, 0x0008u);
  EXPECT_EQ(h.method, 8u);
  EXPECT_EQ(h.crc, 0u);
  EXPECT_EQ(h.compressed, 0u);
  EXPECT_EQ(h.uncompressed, 1u << 20);
}

TEST(ZipPosix, StoredEntryAnnouncesItsSizeBeforeItsData) {
  TempDir dir;
  dir.Write("big.bin", NoiseBytes(1 << 20, 6));
  const std::string archive = dir.File("limited.zip");
  EXPECT_EQ(PackUnderSizeLimit(archive, {{"big.zip", dir.File("big.bin")}}), "1024 1024");
  const FirstHeader h = HeaderAt(ReadFileBytes(archive), 0);
  EXPECT_EQ(h.name, "big.zip");
  EXPECT_EQ(h.flags, 0x0008u);
  EXPECT_EQ(h.method, 0u);
  EXPECT_EQ(h.compressed, 1u << 20);
  EXPECT_EQ(h.uncompressed, 1u << 20);
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
  ExpectSinglePipeEntry(a, content);
}

TEST(ZipPosix, DotFileCountsAsHidden) {
  TempDir dir;
  dir.Write(".hidden", "h");
  const ParsedArchive a = ParseArchive(PackFiles(dir.File("a.zip"), {{"hidden", dir.File(".hidden")}}));
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.entries[0].externalAttributes, 0x81800022u);
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

// A link left where the archive goes used to be written through, so its
// target (any file the user, or root, may write) was overwritten. The link is
// replaced by the archive and its target stays as it was.
TEST(ZipPosix, ArchiveReplacesALinkInsteadOfWritingThroughIt) {
  TempDir dir;
  dir.Write("victim", "must stay");
  dir.Write("in.txt", "data");
  const std::string archive = dir.File("Dumps.zip");
  ASSERT_EQ(symlink(dir.File("victim").c_str(), archive.c_str()), 0);
  HZIP zip = ZipArchiveCreate(U16(archive).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"in.txt", U16(dir.File("in.txt")).c_str()), kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  EXPECT_EQ(ReadFileBytes(dir.File("victim")), "must stay");
  struct stat info {};
  ASSERT_EQ(lstat(archive.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  // A hard link shares the victim's data: it is replaced too.
  const std::string hard = dir.File("Hard.zip");
  ASSERT_EQ(link(dir.File("victim").c_str(), hard.c_str()), 0);
  zip = ZipArchiveCreate(U16(hard).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  EXPECT_EQ(ReadFileBytes(dir.File("victim")), "must stay");
  EXPECT_EQ(ReadFileBytes(hard).size(), 22u);
}

// Only a regular file itself, when asked: a FIFO would block the add until a
// writer came, a link to a device would never end.
TEST(ZipPosix, RegularOnlyAddRefusesLinksFifosAndDevicesAtOnce) {
  TempDir dir;
  dir.Write("plain.txt", "plain");
  ASSERT_EQ(mkfifo(dir.File("fifo.dmp").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.File("zero.dmp").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("plain.txt").c_str(), dir.File("link.dmp").c_str()), 0);
  HZIP zip = ZipArchiveCreate(U16(dir.File("out.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  for (const char* name : {"fifo.dmp", "zero.dmp", "link.dmp"}) {
    EXPECT_EQ(ZipArchiveAddFile(zip, U16(name).c_str(), U16(dir.File(name)).c_str(), kZipAddRegularOnly),
              kZipResultOpenFailed)
        << name;
  }
  EXPECT_EQ(ZipArchiveAddFile(zip, u"/dev/null", u"/dev/null", kZipAddRegularOnly), kZipResultOpenFailed);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"plain.txt", U16(dir.File("plain.txt")).c_str(), kZipAddRegularOnly),
            kZipResultOk);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
}

// The size fields have 32 bits: a source of 4 GiB or more was stored with its
// size wrapped (readers then report a bad CRC). It is refused before a byte
// is read.
TEST(ZipPosix, SourceOfFourGibibytesIsRefused) {
  TempDir dir;
  const std::string big = dir.File("big.dmp");
  dir.Write("big.dmp", "x");
  ASSERT_EQ(truncate(big.c_str(), (off_t{1} << 32) + 10), 0);  // sparse: no disk space used
  HZIP zip = ZipArchiveCreate(U16(dir.File("out.zip")).c_str());
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipArchiveAddFile(zip, u"big.dmp", U16(big).c_str()), kZipResultOpenFailed);
  EXPECT_EQ(ZipArchiveClose(zip), kZipResultOk);
  EXPECT_EQ(ReadFileBytes(dir.File("out.zip")).size(), 22u);  // the end record alone
}
