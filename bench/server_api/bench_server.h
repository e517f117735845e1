// What the transfer benchmarks share: a 256 MiB sample file, devserver as a
// child process (so that its own memory is not counted), a client aimed at
// nothing else, and the peak resident memory of this process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

#include "server_api/connect_help.h"

namespace bench {

inline constexpr size_t kSampleSize = 256u * 1024 * 1024;

struct ServerFixture {
  std::filesystem::path dir;     // a temporary folder of this run
  std::filesystem::path sample;  // kSampleSize random bytes, served as files/sample.bin
  std::string baseUrl;           // "http://127.0.0.1:<port>/"
  pid_t server = -1;

  ServerFixture();
  ~ServerFixture();
};

// The one fixture of the process, made on first use.
ServerFixture& SharedServer();

// A client that talks to nothing but the URLs it is given.
CClientSetup BenchClientSetup();

// Peak resident memory (VmHWM) since the last ResetPeak, and the current one, in KiB.
long PeakKiB();
long CurrentKiB();
void ResetPeak();

}  // namespace bench
