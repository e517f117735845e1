// What the transfer benchmarks use to compare the program with curl: both
// taken in turn within one benchmark, and a reporter that keeps each run's
// counters for the summary printed after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Runs ours and the anchor in turn in every iteration (which goes first
// alternates), so that a busy machine slows both alike. Each moves bytes;
// sets the counters ours_MiBps, anchor_MiBps and ratio_pct (anchor time /
// our time, in %).
void RunInTurn(benchmark::State& state, double bytes, const std::function<bool()>& ours,
               const std::function<bool()>& anchor);

// The console table, and every run's counters kept by benchmark name.
class CountersReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // The counter of the benchmark registered as name (its run name is name or
  // starts with "name/"); 0 when there is none.
  double Counter(const std::string& name, const std::string& counter) const;

 private:
  std::map<std::string, std::map<std::string, double>> m_counters;
};

}  // namespace bench
