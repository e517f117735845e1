#include "bench_compare.h"

#include <chrono>

namespace bench {

void RunInTurn(benchmark::State& state, double bytes, const std::function<bool()>& ours,
               const std::function<bool()>& anchor) {
  using Clock = std::chrono::steady_clock;
  Clock::duration ourTime{}, anchorTime{};
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool anchorTurn = (turn + state.iterations()) % 2 == 1;
      const auto start = Clock::now();
      const bool ok = anchorTurn ? anchor() : ours();
      (anchorTurn ? anchorTime : ourTime) += Clock::now() - start;
      if (!ok) state.SkipWithError(anchorTurn ? "the anchor failed" : "ours failed");
    }
  }
  const double mib = static_cast<double>(state.iterations()) * bytes / (1024.0 * 1024.0);
  const double ourSeconds = std::chrono::duration<double>(ourTime).count();
  const double anchorSeconds = std::chrono::duration<double>(anchorTime).count();
  state.counters["ours_MiBps"] = mib / ourSeconds;
  state.counters["anchor_MiBps"] = mib / anchorSeconds;
  state.counters["ratio_pct"] = 100.0 * anchorSeconds / ourSeconds;
}

void CountersReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const auto& run : runs) {
    auto& kept = m_counters[run.benchmark_name()];
    for (const auto& [name, counter] : run.counters) kept[name] = counter.value;
  }
  ConsoleReporter::ReportRuns(runs);
}

double CountersReporter::Counter(const std::string& name, const std::string& counter) const {
  for (const auto& [runName, counters] : m_counters) {
    if (runName != name && runName.rfind(name + "/", 0) != 0) continue;
    const auto found = counters.find(counter);
    return found == counters.end() ? 0 : found->second;
  }
  return 0;
}

}  // namespace bench
