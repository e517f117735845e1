#include "crash_reports/crash_report.h"

#include "platform/crash/crash_filter.h"
#include "platform/system/process_command_line.h"
#include "server_api/server_connect.h"

namespace {

constexpr int kCrashedModule = 2;

}  // namespace

bool IsCrashReportProcess() {
  const auto args = platform::GetCommandLineArgs();
  return args.size() > 1 && args[1] == platform::kCrashReportSwitch;
}

void SendCrashReport() { (void)GetServerConnect()->ReportCrash(kCrashedModule); }
