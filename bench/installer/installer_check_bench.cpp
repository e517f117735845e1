// The downloaded installer's check over a 400 MB signed installer, in the
// same run: an MD5 pass alone in 1 KB reads (the check before the publisher's digest) against the one pass
// that also computes the Authenticode image digest and reads the signature
// (ReadInstallerDigests), with the messageDigest check. crypt32's check of
// the signer's signature (Windows only) adds one RSA verification and is not
// part of this figure.
//
// Target: the check with the publisher's digest takes at most 10 % longer
// than today's MD5 pass (real time on a machine with a core to spare: the
// image digest runs on a thread of its own). process_cpu_ms counts both
// threads' processor time, the figure to compare on a busy machine. The
// file lives in /dev/shm where there is one, so the disk does not decide.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "code_signing/authenticode_signature.h"
#include "common/text.h"
#include "common/md5.h"
#include "installer/installer_digests.h"
#include "platform/system/file_handle.h"

namespace {

constexpr uint32_t kSectionBytes = 400u << 20;

void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) { std::memcpy(b->data() + at, &v, 4); }
void Put16(std::vector<uint8_t>* b, size_t at, uint16_t v) { std::memcpy(b->data() + at, &v, 2); }

// A PE32 image: headers, then one section of kSectionBytes pseudo-random bytes.
void WriteImage(const std::string& path) {
  std::vector<uint8_t> head(0x200, 0);
  head[0] = 'M';
  head[1] = 'Z';
  Put32(&head, 0x3C, 0x40);
  std::memcpy(head.data() + 0x40, "PE\0\0", 4);
  Put16(&head, 0x44, 0x14c);
  Put16(&head, 0x46, 1);
  Put16(&head, 0x54, 224);
  Put16(&head, 0x56, 0x0102);
  const size_t optional = 0x58;
  Put16(&head, optional, 0x10b);
  Put32(&head, optional + 28, 0x400000);
  Put32(&head, optional + 32, 0x1000);
  Put32(&head, optional + 36, 0x200);
  Put16(&head, optional + 40, 4);
  Put16(&head, optional + 48, 4);
  Put32(&head, optional + 56, 0x1000 + kSectionBytes);
  Put32(&head, optional + 60, 0x200);
  Put16(&head, optional + 68, 3);
  Put32(&head, optional + 92, 16);
  const size_t section = optional + 224;
  std::memcpy(head.data() + section, ".text", 5);
  Put32(&head, section + 8, kSectionBytes);
  Put32(&head, section + 12, 0x1000);
  Put32(&head, section + 16, kSectionBytes);
  Put32(&head, section + 20, 0x200);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  std::vector<uint8_t> block(1 << 20);
  uint32_t x = 12345;
  for (uint32_t written = 0; written < kSectionBytes; written += block.size()) {
    for (auto& b : block) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
  }
}

// The signed installer, made once per run with a key of the run's own.
class CSignedInstaller {
 public:
  CSignedInstaller() {
    const char* base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    m_dir = std::string(base) + "/orv-check-bench-" + std::to_string(getpid());
    std::filesystem::create_directories(m_dir);
    WriteImage(m_dir + "/unsigned.exe");
    const std::string command =
        "cd " + m_dir +
        " && openssl req -x509 -newkey rsa:2048 -nodes -keyout k.pem -out c.pem -subj /CN=bench "
        "-days 2 >/dev/null 2>&1 && osslsigncode sign -certs c.pem -key k.pem -h sha256 -in unsigned.exe "
        "-out Update.exe >/dev/null && rm -f unsigned.exe k.pem";
    if (std::system(command.c_str()) == 0) m_path = m_dir + "/Update.exe";
  }
  ~CSignedInstaller() { std::filesystem::remove_all(m_dir); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_dir, m_path;
};

double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Runs pass per iteration and reports the process's processor time per pass.
template <typename Pass>
void Measure(benchmark::State& state, Pass pass) {
  double cpuMs = 0;
  for (auto _ : state) {
    const double before = ProcessCpuMs();
    if (!pass()) return state.SkipWithError("the signed installer did not check");
    cpuMs += ProcessCpuMs() - before;
  }
  state.counters["process_cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSectionBytes);
}

// The anchor: the file's MD5 alone, read in blocks of 1 KB; empty when it
// cannot be read.
std::string FileMd5(const std::u16string& path) {
  platform::CFileHandle file;
  if (!file.OpenForReading(path)) return {};
  CMd5 md5;
  uint8_t block[1024];
  uint32_t read = 0;
  do {
    if (!file.Read(block, sizeof(block), &read)) return {};
    md5.Update(block, read);
  } while (read > 0);
  return Md5Hex(md5.Finish());
}

const std::string& Installer() {
  static CSignedInstaller installer;
  return installer.Path();
}

void BM_TodaysMd5Pass(benchmark::State& state) {
  if (Installer().empty()) return state.SkipWithError("could not sign the installer (openssl, osslsigncode)");
  const std::u16string path = Utf8ToUtf16(Installer());
  Measure(state, [&path] { return FileMd5(path).size() == 32; });
}

void BM_Md5AndPublisherDigest(benchmark::State& state) {
  if (Installer().empty()) return state.SkipWithError("could not sign the installer (openssl, osslsigncode)");
  const std::u16string path = Utf8ToUtf16(Installer());
  Measure(state, [&path] {
    platform::CCheckedProgram installer;
    if (!installer.Open(path)) return false;
    const InstallerDigests digests = ReadInstallerDigests(&installer, [](uint64_t) { return true; });
    return digests.md5.size() == 32 && digests.imageDigestMatches &&
           code_signing::SignedContentMatches(digests.authenticode);
  });
}

BENCHMARK(BM_TodaysMd5Pass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Md5AndPublisherDigest)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
