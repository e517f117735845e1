// Packs a 64 MiB corpus of binaries (dump-like data: executables and shared
// libraries of this system, read at run time) with the program's ZIP writer
// and, as the anchor, with Info-ZIP's "zip -8" on the same file.
// Targets: compressed size within 1 % of zip's, throughput at least zip's.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "zip/zip_archive.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kCorpusSize = 64u << 20;

// The corpus file and the archives live in one folder for the whole run.
struct Corpus {
  fs::path folder;
  fs::path file;
  size_t size = 0;
  double infoZipSize = 0;
};

std::vector<fs::path> CandidateFiles() {
  std::vector<fs::path> files;
  for (const char* root : {"/usr/bin", "/usr/lib/x86_64-linux-gnu"}) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(root, ec)) {
      if (e.is_regular_file(ec) && !e.is_symlink(ec)) files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

Corpus& TheCorpus() {
  static Corpus corpus = [] {
    Corpus c;
    c.folder = fs::temp_directory_path() / ("orvzip-bench-" + std::to_string(::getpid()));
    fs::create_directories(c.folder);
    c.file = c.folder / "corpus.dmp";
    std::ofstream out(c.file, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    for (const fs::path& path : CandidateFiles()) {
      std::ifstream in(path, std::ios::binary);
      while (c.size < kCorpusSize &&
             in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())).gcount() > 0) {
        const size_t got = std::min(static_cast<size_t>(in.gcount()), kCorpusSize - c.size);
        out.write(buffer.data(), static_cast<std::streamsize>(got));
        c.size += got;
      }
      if (c.size >= kCorpusSize) break;
    }
    return c;
  }();
  return corpus;
}

// CPU seconds (user + system) used by ended child processes so far.
double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_InfoZipLevel8(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  const fs::path archive = corpus.folder / "infozip.zip";
  const std::string command = "zip -8 -q -j '" + archive.string() + "' '" + corpus.file.string() + "'";
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(archive);
    const double before = ChildCpuSeconds();
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) state.SkipWithError("zip failed");
    cpu += ChildCpuSeconds() - before;
  }
  // zip's CPU time, comparable with the writer's CPU column on a busy machine.
  state.counters["zip_cpu_ms"] = benchmark::Counter(1000 * cpu, benchmark::Counter::kAvgIterations);
  corpus.infoZipSize = static_cast<double>(fs::file_size(archive));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.size));
  state.counters["archive_bytes"] = corpus.infoZipSize;
  state.counters["ratio"] = corpus.infoZipSize / static_cast<double>(corpus.size);
}

void BM_ZipWriter(benchmark::State& state) {
  Corpus& corpus = TheCorpus();
  const fs::path archive = corpus.folder / "writer.zip";
  const std::u16string archivePath = Utf8ToUtf16(archive.string());
  const std::u16string sourcePath = Utf8ToUtf16(corpus.file.string());
  for (auto _ : state) {
    HZIP zip = ZipArchiveCreate(archivePath.c_str());
    if (zip == nullptr || ZipArchiveAddFile(zip, u"corpus.dmp", sourcePath.c_str()) != 0 ||
        ZipArchiveClose(zip) != 0) {
      state.SkipWithError("writer failed");
    }
  }
  const double size = static_cast<double>(fs::file_size(archive));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.size));
  state.counters["archive_bytes"] = size;
  state.counters["ratio"] = size / static_cast<double>(corpus.size);
  if (corpus.infoZipSize > 0) state.counters["size_vs_infozip"] = size / corpus.infoZipSize;
}

// Each repetition packs the corpus once; repetitions of the two are
// interleaved (see main) so that load from elsewhere hits both alike.
BENCHMARK(BM_InfoZipLevel8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ZipWriter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

struct CorpusCleanup {
  ~CorpusCleanup() {
    std::error_code ec;
    if (!TheCorpus().folder.empty()) fs::remove_all(TheCorpus().folder, ec);
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  CorpusCleanup cleanup;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
