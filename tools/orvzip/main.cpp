// orvzip: packs files into a ZIP archive with the program's own writer.
// Usage: orvzip ARCHIVE [-n NAME] FILE [[-n NAME] FILE ...]
// Prints the result code of every add and of the close, one per line, and
// exits with 0 only when all of them were 0.
#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "orvzip_args.h"
#include "platform/system/process_command_line.h"
#include "zip/zip_archive.h"

namespace {

int Pack(const OrvZipJob& job) {
  HZIP zip = ZipArchiveCreate(job.archive.c_str());
  if (zip == nullptr) {
    std::printf("0x%X create %s\n", ZipArchiveLastResult(), Utf16ToUtf8(job.archive).c_str());
    return 1;
  }
  bool allOk = true;
  for (const OrvZipEntry& entry : job.entries) {
    const uint32_t result = ZipArchiveAddFile(zip, entry.entryName.c_str(), entry.sourcePath.c_str());
    std::printf("0x%X add %s\n", result, Utf16ToUtf8(entry.entryName).c_str());
    allOk = allOk && result == kZipResultOk;
  }
  const uint32_t closed = ZipArchiveClose(zip);
  std::printf("0x%X close\n", closed);
  return allOk && closed == kZipResultOk ? 0 : 1;
}

}  // namespace

int main() {
  // The system's own wide arguments: on Windows argv is in the ANSI code
  // page, which cannot hold every file name.
  std::vector<std::u16string> args = platform::GetCommandLineArgs();
  if (!args.empty()) args.erase(args.begin());
  OrvZipJob job;
  const std::string error = ParseOrvZipArgs(args, &job);
  if (!error.empty()) {
    std::fprintf(stderr, "orvzip: %s\nusage: orvzip [-n NAME] ARCHIVE [-n NAME] FILE [[-n NAME] FILE ...]\n",
                 error.c_str());
    return 2;
  }
  return Pack(job);
}
