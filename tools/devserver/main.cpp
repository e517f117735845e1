// devserver command line. Prints "http <port>" (and "https <port>") on its
// first lines, then serves until SIGINT or SIGTERM.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

#include "dev_server.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: devserver [--host H] [--port N] [--config FILE] [--log FILE]\n"
    "                 [--static DIR] [--storage DIR] [--clock-offset SECONDS]\n"
    "                 [--https-port N --cert FILE --key FILE] [--proxy-auth USER:PASSWORD]\n"
    "                 [--ranges on|off]\n"
    "  --port 0 (the default) picks a free port; the ports are printed as\n"
    "  'http <port>' and 'https <port>'. --config holds the reply table\n"
    "  {\"clock_offset\": n, \"replies\": {\"api/...\": {...} or [...]}};\n"
    "  --log appends every request as one JSON line.\n";

bool ParseArguments(int argc, char** argv, devserver::Options* options, std::string* config) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (name == "--host")
      options->host = value;
    else if (name == "--port")
      options->port = std::atoi(value.c_str());
    else if (name == "--https-port") {
      options->https = true;
      options->httpsPort = std::atoi(value.c_str());
    } else if (name == "--cert") {
      options->https = true;
      options->certFile = value;
    } else if (name == "--key") {
      options->https = true;
      options->keyFile = value;
    } else if (name == "--config")
      *config = value;
    else if (name == "--log")
      options->logFile = value;
    else if (name == "--static")
      options->staticDir = value;
    else if (name == "--storage")
      options->storageDir = value;
    else if (name == "--clock-offset")
      options->clockOffset = std::atof(value.c_str());
    else if (name == "--proxy-auth")
      options->proxyAuth = value;
    else if (name == "--ranges" && (value == "on" || value == "off"))
      options->serveRanges = value == "on";
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  devserver::Options options;
  std::string configFile;
  if (!ParseArguments(argc, argv, &options, &configFile)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  devserver::Server server(options);
  std::string error;
  if (!configFile.empty()) {
    std::ifstream in(configFile);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in || !server.LoadConfig(text, &error)) {
      std::fprintf(stderr, "devserver: %s: %s\n", configFile.c_str(), in ? error.c_str() : "cannot read");
      return 1;
    }
  }
  if (!server.Start(&error)) {
    std::fprintf(stderr, "devserver: %s\n", error.c_str());
    return 1;
  }
  std::printf("http %d\n", server.Port());
  if (options.https) std::printf("https %d\n", server.HttpsPort());
  std::fflush(stdout);
  // A signal handler may only set a flag; the main thread looks at it.
  while (g_stop == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.Stop();
  return 0;
}
