// The dump upload: HttpPutFile of a 256 MiB archive to devserver's storage,
// against the curl command-line tool uploading the same file (curl -T) in the
// same run, and the peak memory of this process during the upload.
//
// Targets: at least 80 % of curl's throughput; peak memory at most 30 MiB.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_compare.h"
#include "bench_server.h"
#include "common/text.h"

namespace {

constexpr double kPeakLimitMiB = 30;

std::string UploadUrl() { return bench::SharedServer().baseUrl + "storage/dumps/bench.zip"; }

bool UploadOnce() {
  CConnectHelp client(bench::BenchClientSetup());
  return client.HttpPutFile(Utf8ToUtf16(UploadUrl()), Utf8ToUtf16(bench::SharedServer().sample.string()));
}

std::string CurlCommand() {
  return "curl -s -f -o /dev/null -T '" + bench::SharedServer().sample.string() + "' '" + UploadUrl() + "'";
}

void BM_HttpPutFile(benchmark::State& state) {
  bench::SharedServer();
  double peakMiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench::ResetPeak();
    state.ResumeTiming();
    if (!UploadOnce()) {
      state.SkipWithError("HttpPutFile failed");
      break;
    }
    state.PauseTiming();
    peakMiB = std::max(peakMiB, bench::PeakKiB() / 1024.0);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bench::kSampleSize));
  state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_HttpPutFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_CurlUpload(benchmark::State& state) {
  const std::string command = CurlCommand();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bench::kSampleSize));
}
BENCHMARK(BM_CurlUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Both uploads in turn within each iteration: the ratio is the comparison
// that counts.
void BM_HttpPutFileVsCurlInTurn(benchmark::State& state) {
  const std::string command = CurlCommand();
  bench::RunInTurn(state, bench::kSampleSize, UploadOnce, [&] { return std::system(command.c_str()) == 0; });
}
BENCHMARK(BM_HttpPutFileVsCurlInTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::CountersReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.Counter("BM_HttpPutFile", "bytes_per_second");
  const double anchor = reporter.Counter("BM_CurlUpload", "bytes_per_second");
  if (anchor > 0)
    std::printf("HttpPutFile / curl -T throughput: %.1f %% (target >= 80 %%)\n", 100 * ours / anchor);
  std::printf("HttpPutFile / curl -T throughput, taken in turn: %.1f %% (target >= 80 %%)\n",
              reporter.Counter("BM_HttpPutFileVsCurlInTurn", "ratio_pct"));
  std::printf("HttpPutFile peak memory: %.1f MiB (limit %.0f MiB)\n",
              reporter.Counter("BM_HttpPutFile", "peak_MiB"), kPeakLimitMiB);
  benchmark::Shutdown();
  return 0;
}
