// devservice: the local service peer on the pipe, for development and tests.
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <iostream>
#include <string_view>

#include "paths_and_log/folders.h"
#include "devservice.h"
#include "platform/system/codepage.h"

namespace {

constexpr const char* kUsage =
    "usage: devservice [--install-dir DIR] [--pipe NAME] [--log FILE] [--stdout]\n"
    "                  [--delay-ms N] [--no-answer] [--exit-after N] [--max-seconds N]\n"
    "  --install-dir DIR  folder the programs named by StartComponent are started from\n"
    "                     (default: the product's install folder from its settings)\n"
    "  --pipe NAME        pipe name to listen on (default OrvaneSvcLpc)\n"
    "  --log FILE         append every received message to FILE\n"
    "  --stdout           print every received message\n"
    "  --delay-ms N       wait N milliseconds before each answer\n"
    "  --no-answer        never answer requests\n"
    "  --exit-after N     stop after N StartComponent calls\n"
    "  --max-seconds N    stop after N seconds in any case\n";

bool ParseNumber(const char* text, uint32_t* value) {
  const char* end = text + std::strlen(text);
  const auto [next, error] = std::from_chars(text, end, *value);
  return error == std::errc() && next == end && next != text;
}

// Arguments arrive in the ANSI code page; the path is built from UTF-16 so
// that no library guesses the encoding.
std::filesystem::path PathArgument(const char* text) {
  return std::filesystem::path(platform::AnsiToWide(text));
}

// Fills options from argv; false on an unknown option or a bad value.
bool ParseOptions(int argc, char** argv, DevServiceOptions* options, uint32_t* maxSeconds) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (option == "--stdout") {
      options->logToStdout = true;
    } else if (option == "--no-answer") {
      options->answer = false;
    } else if (value == nullptr) {
      return false;
    } else if (option == "--pipe") {
      options->pipeName = argv[++i];
    } else if (option == "--install-dir") {
      options->installDir = PathArgument(argv[++i]);
    } else if (option == "--log") {
      options->logFile = PathArgument(argv[++i]);
    } else if (option == "--delay-ms") {
      if (!ParseNumber(argv[++i], &options->answerDelayMs)) return false;
    } else if (option == "--exit-after") {
      if (!ParseNumber(argv[++i], &options->exitAfterStarts)) return false;
    } else if (option == "--max-seconds") {
      if (!ParseNumber(argv[++i], maxSeconds)) return false;
    } else {
      return false;
    }
  }
  if (options->installDir.empty()) {
    options->installDir = std::filesystem::path(GetInstallDir());
  }
  return !options->installDir.empty();
}

}  // namespace

int main(int argc, char** argv) {
  DevServiceOptions options;
  uint32_t maxSeconds = 0;
  if (!ParseOptions(argc, argv, &options, &maxSeconds)) {
    std::cerr << kUsage;
    return 2;
  }
  CDevService service(options);
  if (!service.Listen()) {
    std::cerr << "devservice: cannot listen on pipe \"" << options.pipeName << "\" or open the log\n";
    return 1;
  }
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::thread watchdog([&] {
    if (maxSeconds == 0) return;
    std::unique_lock<std::mutex> guard(lock);
    if (!finished.wait_for(guard, std::chrono::seconds(maxSeconds), [&] { return done; })) service.Stop();
  });
  service.Run();
  {
    std::lock_guard<std::mutex> guard(lock);
    done = true;
  }
  finished.notify_all();
  watchdog.join();
  return 0;
}
