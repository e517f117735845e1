#include "paths_and_log/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/system/clock.h"
#include "platform/system/codepage.h"
#include "platform/system/known_folders.h"

namespace {

constexpr size_t kMessageBufferSize = 2048;

// The log file is found once, when a call first succeeds in naming it.
std::string& LogFileName() {
  static std::string name;
  return name;
}

}  // namespace

void WriteLog(const char* format, ...) {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);

  char message[kMessageBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  message[kMessageBufferSize - 1] = '\0';

  std::string& file = LogFileName();
  if (file.empty()) {
    const std::u16string program = platform::GetProgramFilePath();
    if (program.empty()) return;
    file = platform::WideToAnsi(program) + ".log";
  }
  std::FILE* out = std::fopen(file.c_str(), "a+");
  if (out == nullptr) return;
  const platform::LocalTime t = platform::GetLocalTime();
  std::fprintf(out, "[%02d:%02d:%02d.%03d] %s\n", t.hour, t.minute, t.second, t.millisecond, message);
  std::fclose(out);
}
