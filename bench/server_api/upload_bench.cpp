// The dump upload: HttpPutFile of a 256 MiB archive to devserver's storage,
// against the curl command-line tool uploading the same file (curl -T) in the
// same run, and the peak memory of this process during the upload.
//
// Targets: at least 80 % of curl's throughput; peak memory at most 30 MiB.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

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

double MiBPerSecond(double iterations, std::chrono::steady_clock::duration time) {
  return iterations * bench::kSampleSize / (1024.0 * 1024.0) / std::chrono::duration<double>(time).count();
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

// Both uploads in turn within each iteration, so that a busy machine slows
// both alike; the ratio is the comparison that counts.
void BM_HttpPutFileVsCurlInTurn(benchmark::State& state) {
  const std::string command = CurlCommand();
  using Clock = std::chrono::steady_clock;
  Clock::duration ours{}, curl{};
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool curlTurn = (turn + state.iterations()) % 2 == 1;
      const auto start = Clock::now();
      const bool ok = curlTurn ? std::system(command.c_str()) == 0 : UploadOnce();
      (curlTurn ? curl : ours) += Clock::now() - start;
      if (!ok) state.SkipWithError("an upload failed");
    }
  }
  state.counters["ours_MiBps"] = MiBPerSecond(state.iterations(), ours);
  state.counters["curl_MiBps"] = MiBPerSecond(state.iterations(), curl);
  state.counters["ratio_pct"] = 100.0 * std::chrono::duration<double>(curl).count() /
                                std::chrono::duration<double>(ours).count();
}
BENCHMARK(BM_HttpPutFileVsCurlInTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

// Prints the comparison with the anchor after the usual table.
class ComparingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      const auto found = run.counters.find("bytes_per_second");
      if (found != run.counters.end()) m_rates[run.benchmark_name()] = found->second;
      if (run.counters.count("ratio_pct")) m_inTurn = run.counters.at("ratio_pct");
      if (run.counters.count("peak_MiB")) m_peak = run.counters.at("peak_MiB");
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Summarise() const {
    double ours = 0, anchor = 0;
    for (const auto& [name, rate] : m_rates) {
      if (name.find("BM_HttpPutFile/") == 0 || name == "BM_HttpPutFile") ours = rate;
      if (name.find("BM_CurlUpload") == 0) anchor = rate;
    }
    if (anchor > 0) std::printf("HttpPutFile / curl -T throughput: %.1f %% (target >= 80 %%)\n", 100 * ours / anchor);
    std::printf("HttpPutFile / curl -T throughput, taken in turn: %.1f %% (target >= 80 %%)\n", m_inTurn);
    std::printf("HttpPutFile peak memory: %.1f MiB (limit %.0f MiB)\n", m_peak, kPeakLimitMiB);
  }

 private:
  std::map<std::string, double> m_rates;
  double m_inTurn = 0, m_peak = 0;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ComparingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summarise();
  benchmark::Shutdown();
  return 0;
}
