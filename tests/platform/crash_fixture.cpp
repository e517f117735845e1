#include "platform/crash_fixture.h"

#include <sstream>

#include "common/text.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

}  // namespace

fs::path PathOf(const std::string& utf8) { return fs::path(Utf8ToUtf16(utf8)); }

void CrashFilter::SetUp() {
  // Named as the product's program, so the dump is ORVUpdate.exe.dmp.
  m_program = Utf16ToUtf8((fs::canonical(m_dir.path()) / "ORVUpdate.exe").u16string());
  fs::copy_file(VICTIM_PATH, PathOf(m_program));
  fs::permissions(PathOf(m_program), fs::perms::owner_all);
}

void CrashFilter::MoveProgramTo(const std::string& subfolder) {
  const fs::path folder = PathOf(m_program).parent_path() / PathOf(subfolder);
  fs::create_directories(folder);
  const fs::path moved = folder / "ORVUpdate.exe";
  fs::rename(PathOf(m_program), moved);
  m_program = Utf16ToUtf8(moved.u16string());
}

std::optional<int> CrashFilter::Run(const std::string& mode) const {
  ChildProcess child(m_program, {m_program, mode});
  return child.Wait(kCrashExitWait);
}

Minidump CrashFilter::Dump() const { return ParseMinidump(ReadFileBytes(PathOf(m_program + ".dmp"))); }

std::vector<std::string> CrashFilter::Reports() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFileBytes(PathOf(m_program + ".report")));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void CrashFilter::ExpectOneReport() const {
  const std::vector<std::string> reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  const std::vector<std::string> fields = Split(reports[0], '|');
  ASSERT_EQ(fields.size(), 3u) << reports[0];
  EXPECT_EQ(fields[0], "-crash_report");
  EXPECT_EQ(fields[1], fields[2] + ".dmp");
  std::error_code error;
  EXPECT_TRUE(fs::equivalent(PathOf(fields[2]), PathOf(m_program), error)) << fields[2];
}

void CrashFilter::ExpectValidDump(const Minidump& dump, uint32_t exceptionCode) const {
  ASSERT_EQ(dump.error, "");
  EXPECT_EQ(dump.signature, 0x504D444Du);  // "MDMP"
  EXPECT_EQ(dump.version & 0xFFFF, 0xA793u);
  EXPECT_EQ(dump.architecture, sizeof(void*) == 8 ? kArchitectureAmd64 : kArchitectureX86);
  EXPECT_EQ(dump.exceptionCode, exceptionCode);
  EXPECT_EQ(dump.exceptionContextIp, dump.exceptionAddress);
  EXPECT_NE(ExceptionThread(dump), nullptr);
}

const DumpThread* CrashFilter::ExceptionThread(const Minidump& dump) {
  for (const DumpThread& thread : dump.threads) {
    if (thread.id == dump.exceptionThread) return &thread;
  }
  return nullptr;
}

const DumpModule* CrashFilter::ProgramModule(const Minidump& dump) {
  const std::u16string name = u"ORVUpdate.exe";
  for (const DumpModule& m : dump.modules) {
    if (m.name.size() > name.size() && m.name.ends_with(name)) {
      const char16_t separator = m.name[m.name.size() - name.size() - 1];
      if (separator == u'/' || separator == u'\\') return &m;
    }
  }
  return nullptr;
}
