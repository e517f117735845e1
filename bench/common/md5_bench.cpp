// Our MD5 against OpenSSL's on 1 MiB buffers, in the same run.
// Target: at least 90 % of OpenSSL's throughput.
#include <benchmark/benchmark.h>
#include <openssl/md5.h>

#include <cstdint>
#include <vector>

#include "common/md5.h"

namespace {

const std::vector<uint8_t>& Buffer() {
  static const std::vector<uint8_t> data = [] {
    std::vector<uint8_t> bytes(1 << 20);
    uint32_t x = 12345;
    for (auto& b : bytes) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
    return bytes;
  }();
  return data;
}

void BM_OurMd5(benchmark::State& state) {
  const auto& data = Buffer();
  for (auto _ : state) {
    CMd5 md5;
    md5.Update(data.data(), data.size());
    benchmark::DoNotOptimize(md5.Finish());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void BM_OpenSslMd5(benchmark::State& state) {
  const auto& data = Buffer();
  unsigned char digest[MD5_DIGEST_LENGTH];
  for (auto _ : state) {
    MD5(data.data(), data.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}
#pragma GCC diagnostic pop

}  // namespace

BENCHMARK(BM_OurMd5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenSslMd5)->Repetitions(5)->ReportAggregatesOnly(true);
