// DownloadToFile of a 256 MiB file from devserver, against the curl
// command-line tool fetching the same file in the same run, and the peak
// memory of that download. devserver runs as a child process so that its
// own memory is not counted.
//
// Targets: DownloadToFile reaches at least 90 % of curl's throughput; its
// peak memory stays within 1.1 x the file size + 20 MiB.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_compare.h"
#include "bench_server.h"
#include "common/text.h"

namespace {

constexpr size_t kFileSize = bench::kSampleSize;
namespace fs = std::filesystem;
using bench::CurrentKiB;
using bench::PeakKiB;
using bench::ResetPeak;

struct Fixture {
  std::string url;
  std::string target;
};

Fixture& Shared() {
  static Fixture fixture{bench::SharedServer().baseUrl + "files/sample.bin",
                         (bench::SharedServer().dir / "out.bin").string()};
  return fixture;
}

CClientSetup Setup() { return bench::BenchClientSetup(); }

void BM_DownloadToFile(benchmark::State& state) {
  Fixture& fixture = Shared();
  double peakMiB = 0, growthMiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(fixture.target);
    ResetPeak();
    const long before = CurrentKiB();
    state.ResumeTiming();
    {
      CConnectHelp client(Setup());
      if (!client.DownloadToFile(Utf8ToUtf16(fixture.url), Utf8ToUtf16(fixture.target), nullptr)) {
        state.SkipWithError("DownloadToFile failed");
        break;
      }
      state.PauseTiming();
      peakMiB = PeakKiB() / 1024.0;
      growthMiB = (PeakKiB() - before) / 1024.0;
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
  state.counters["peak_MiB"] = peakMiB;
  state.counters["growth_MiB"] = growthMiB;
  state.counters["limit_MiB"] = 1.1 * kFileSize / (1024.0 * 1024.0) + 20;
}
BENCHMARK(BM_DownloadToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_CurlCommandLine(benchmark::State& state) {
  Fixture& fixture = Shared();
  const std::string command = "curl -s -o '" + fixture.target + "' '" + fixture.url + "'";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(fixture.target);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Both downloads in turn within each iteration: the ratio is the comparison
// that counts.
void BM_DownloadToFileVsCurlInTurn(benchmark::State& state) {
  Fixture& fixture = Shared();
  const std::string command = "curl -s -o '" + fixture.target + "' '" + fixture.url + "'";
  bench::RunInTurn(
      state, kFileSize,
      [&] {
        fs::remove(fixture.target);
        CConnectHelp client(Setup());
        return client.DownloadToFile(Utf8ToUtf16(fixture.url), Utf8ToUtf16(fixture.target), nullptr);
      },
      [&] {
        fs::remove(fixture.target);
        return std::system(command.c_str()) == 0;
      });
}
BENCHMARK(BM_DownloadToFileVsCurlInTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::CountersReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.Counter("BM_DownloadToFile", "bytes_per_second");
  const double anchor = reporter.Counter("BM_CurlCommandLine", "bytes_per_second");
  if (anchor > 0)
    std::printf("DownloadToFile / curl throughput: %.1f %% (target >= 90 %%)\n", 100 * ours / anchor);
  std::printf("DownloadToFile / curl throughput, taken in turn: %.1f %% (target >= 90 %%)\n",
              reporter.Counter("BM_DownloadToFileVsCurlInTurn", "ratio_pct"));
  std::printf("DownloadToFile peak memory growth: %.1f MiB (limit %.1f MiB)\n",
              reporter.Counter("BM_DownloadToFile", "growth_MiB"),
              reporter.Counter("BM_DownloadToFile", "limit_MiB"));
  benchmark::Shutdown();
  return 0;
}
