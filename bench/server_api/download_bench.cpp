// DownloadToFile of a 256 MiB file from devserver, against the curl
// command-line tool fetching the same file in the same run, and the peak
// memory of that download. devserver runs as a child process so that its
// own memory is not counted.
//
// Targets: DownloadToFile reaches at least 90 % of curl's throughput; its
// peak memory stays within 1.1 x the file size + 20 MiB.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

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

// Both downloads in turn within each iteration, so that a busy machine
// slows both alike; the ratio is the comparison that counts.
void BM_DownloadToFileVsCurlInTurn(benchmark::State& state) {
  Fixture& fixture = Shared();
  const std::string command = "curl -s -o '" + fixture.target + "' '" + fixture.url + "'";
  using Clock = std::chrono::steady_clock;
  Clock::duration ours{}, curl{};
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      fs::remove(fixture.target);
      const bool curlTurn = (turn + state.iterations()) % 2 == 1;
      const auto start = Clock::now();
      bool ok;
      if (curlTurn) {
        ok = std::system(command.c_str()) == 0;
      } else {
        CConnectHelp client(Setup());
        ok = client.DownloadToFile(Utf8ToUtf16(fixture.url), Utf8ToUtf16(fixture.target), nullptr);
      }
      (curlTurn ? curl : ours) += Clock::now() - start;
      if (!ok) state.SkipWithError("a download failed");
    }
  }
  const double mib = state.iterations() * double(kFileSize) / (1024.0 * 1024.0);
  state.counters["ours_MiBps"] = mib / std::chrono::duration<double>(ours).count();
  state.counters["curl_MiBps"] = mib / std::chrono::duration<double>(curl).count();
  state.counters["ratio_pct"] = 100.0 * std::chrono::duration<double>(curl).count() /
                                std::chrono::duration<double>(ours).count();
}
BENCHMARK(BM_DownloadToFileVsCurlInTurn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

// Prints the comparison with the anchor after the usual table.
class ComparingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      const auto found = run.counters.find("bytes_per_second");
      if (found != run.counters.end()) m_rates[run.benchmark_name()] = found->second;
      if (run.counters.count("ratio_pct")) m_inTurn = run.counters.at("ratio_pct");
      if (run.counters.count("growth_MiB")) {
        m_growth = run.counters.at("growth_MiB");
        m_limit = run.counters.at("limit_MiB");
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Summarise() const {
    double ours = 0, anchor = 0;
    for (const auto& [name, rate] : m_rates) {
      if (name.find("BM_DownloadToFile/") == 0) ours = rate;
      if (name.find("BM_CurlCommandLine/") == 0) anchor = rate;
    }
    if (anchor > 0) {
      std::printf("DownloadToFile / curl throughput: %.1f %% (target >= 90 %%)\n", 100 * ours / anchor);
    }
    std::printf("DownloadToFile / curl throughput, taken in turn: %.1f %% (target >= 90 %%)\n", m_inTurn);
    std::printf("DownloadToFile peak memory growth: %.1f MiB (limit %.1f MiB)\n", m_growth, m_limit);
  }

 private:
  std::map<std::string, double> m_rates;
  double m_growth = 0, m_limit = 0, m_inTurn = 0;
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
