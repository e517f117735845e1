#include "platform/crash_fixture.h"

#include <fstream>
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

std::string ElfFileBuildId(const std::string& path) {
  // Only the headers and notes are read: the files are whole libraries.
  std::ifstream elf(PathOf(path), std::ios::binary);
  const auto at = [&elf](uint64_t offset, size_t size) -> uint64_t {
    uint64_t value = 0;
    elf.clear();
    elf.seekg(static_cast<std::streamoff>(offset));
    elf.read(reinterpret_cast<char*>(&value), static_cast<std::streamsize>(size));
    return elf.gcount() == static_cast<std::streamsize>(size) ? value : 0;
  };
  if (at(0, 4) != 0x464C457Fu || at(4, 1) != 2) return "";  // "\x7fELF", 64-bit
  const uint64_t headers = at(32, 8), entrySize = at(54, 2), count = at(56, 2);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t h = headers + i * entrySize;
    if (at(h, 4) != 4) continue;  // PT_NOTE
    for (uint64_t n = at(h + 8, 8), end = n + at(h + 32, 8); n + 12 <= end;) {
      const uint64_t nameSize = at(n, 4), descSize = at(n + 4, 4), type = at(n + 8, 4);
      const uint64_t desc = n + 12 + ((nameSize + 3) & ~3ull);
      if (type == 3 && nameSize == 4 && at(n + 12, 4) == 0x00554E47u) {  // "GNU"
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (uint64_t k = 0; k < descSize; ++k) {
          const auto byte = static_cast<unsigned char>(at(desc + k, 1));
          hex += kHex[byte >> 4];
          hex += kHex[byte & 15];
        }
        return hex;
      }
      n = desc + ((descSize + 3) & ~3ull);
    }
  }
  return "";
}

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
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
#ifdef _WIN32
  // Windows names the faulting instruction; the thread list holds the
  // thread as the dump found it, inside the filter.
  EXPECT_EQ(dump.exceptionContextIp, dump.exceptionAddress);
#else
  // Elsewhere the address is the fault's, and the thread's registers are
  // those of the crash.
  EXPECT_EQ(dump.exceptionContextIp, thread->ip);
#endif
}

int CrashFilter::RecordedThreadCount() const {
  const std::string text = ReadFileBytes(PathOf(m_program + ".threads"));
  return text.empty() ? 0 : std::stoi(text);
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
