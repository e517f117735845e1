// The checked program is the one that starts: a file swapped in after the
// check is never run.
#include <filesystem>
#include <fstream>

#include "common/md5.h"
#include "common/text.h"
#include "dialog_fixture.h"
#include "installer/installer_digests.h"
#include "platform/system/process.h"
#include "support/child_process.h"
#include "update_dialog/update_workers.h"

namespace {

namespace fs = std::filesystem;

class CheckedProgramTest : public DialogTest {
 protected:
  // Reads the whole held program, as the installer check does.
  static std::string ReadAll(platform::CCheckedProgram* program) {
    std::string bytes;
    char block[1024];
    uint32_t read = 0;
    while (program->Read(block, sizeof(block), &read) && read > 0) bytes.append(block, read);
    return bytes;
  }
};

TEST_F(CheckedProgramTest, FileSwappedAfterTheCheckIsNotStarted) {
  const std::string path = m_env->dir().File("Update.exe");
  m_env->dir().Write("Update.exe", ProgramBytes("orv_installer_stub"));
  m_env->dir().Write("other.exe", ProgramBytes("orv_installer_swapped"));
  platform::CCheckedProgram program;
  ASSERT_TRUE(program.Open(Utf8ToUtf16(path)));
  EXPECT_EQ(Md5HexOf(ReadAll(&program)), Md5HexOf(ProgramBytes("orv_installer_stub")));
  // Another process replaces the file: refused while it is held (Windows),
  // or done, but the held file is what starts (POSIX).
  std::error_code error;
  fs::rename(m_env->dir().File("other.exe"), path, error);
  ASSERT_TRUE(program.StartHidden(u"-inst_update"));
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

// Bytes written into the held file after the check, through a descriptor of
// its own or a hard link to it, never run: refused while it is held
// (Windows), or done on a file that is not the one that starts (POSIX).
TEST_F(CheckedProgramTest, BytesRewrittenInPlaceAfterTheCheckDoNotRun) {
  for (const bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a hard link" : "through the path");
    const std::string path = m_env->dir().File("Update.exe"), link = m_env->dir().File("link.exe");
    std::error_code error;
    fs::remove(link, error);
    m_env->dir().Write("Update.exe", ProgramBytes("orv_installer_stub"));
    if (throughLink) fs::create_hard_link(path, link, error);
    platform::CCheckedProgram program;
    ASSERT_TRUE(program.Open(Utf8ToUtf16(path)));
    EXPECT_EQ(Md5HexOf(ReadAll(&program)), Md5HexOf(ProgramBytes("orv_installer_stub")));
    {
      std::ofstream rewrite(throughLink && !error ? link : path,
                            std::ios::binary | std::ios::in | std::ios::out);
      rewrite << ProgramBytes("orv_installer_swapped");
    }
    ASSERT_TRUE(program.StartHidden(u"-inst_update"));
    ASSERT_TRUE(WaitForInstallerRecord());
    EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
    fs::remove(m_markerPath, error);
  }
}

TEST_F(CheckedProgramTest, MissingFileOrFolderIsRefused) {
  platform::CCheckedProgram program;
  EXPECT_FALSE(program.Open(Utf8ToUtf16(m_env->dir().File("none.exe"))));
  EXPECT_FALSE(program.Open(Utf8ToUtf16(m_env->dir().path().string())));
  EXPECT_FALSE(program.StartHidden(u"-inst_update"));
}

TEST_F(CheckedProgramTest, ChecksumPassGivesUppercaseHex) {
  for (const auto& [bytes, md5] :
       {std::pair<std::string, std::u16string>{"abc", u"900150983CD24FB0D6963F7D28E17F72"},
        {"", u"D41D8CD98F00B204E9800998ECF8427E"}}) {
    m_env->dir().Write("file", bytes);
    platform::CCheckedProgram file;
    ASSERT_TRUE(file.Open(Utf8ToUtf16(m_env->dir().File("file"))));
    EXPECT_EQ(ReadInstallerDigests(&file, [](uint64_t) { return true; }).md5, md5);
  }
}

}  // namespace
