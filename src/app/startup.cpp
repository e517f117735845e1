#include "app/main_module.h"
#include "app/run_mode_steps.h"
#include "app/run_modes.h"
#include "app/start_facts.h"
#include "app/skin_archive.h"
#include "platform/crash/crash_filter.h"
#include "platform/system/process_command_line.h"
#include "platform/system/process_setup.h"
#include "platform/entry/program_entry.h"
#include "server_api/server_connect.h"

namespace {

constexpr int kUpdaterModule = 2;
constexpr int kCrashedModule = 2;
constexpr int kChildModule = 4;

// The process preparation; false when the program must end at once.
bool PrepareProcess() {
  if (!platform::EnableDebugPrivilege()) return false;
  if (!platform::InitComponentModel()) return false;
  platform::SetAnsiLocale();
  platform::InitCommonControls();
  // The UI framework reads every skin file from the archive the program
  // carries; a program without one still runs its modes.
  (void)RegisterSkinArchive();
  return true;
}

// The process the crash filter starts to report a crash of this program: it
// only sends the report, not a start-up report of its own.
bool IsCrashReportProcess() {
  const auto args = platform::GetCommandLineArgs();
  return args.size() > 1 && args[1] == platform::kCrashReportSwitch;
}

void SendCrashReport() {
  InitServerClient();
  (void)GetServerConnect()->ReportCrash(kCrashedModule);
}

void SendStartupReports() {
  InitServerClient();
  SendStartupReport(kUpdaterModule, false);
  if (ParseStartBy() == kChildModule) SendStartupReport(kChildModule, true);
}

}  // namespace

int ProgramMain() {
  (void)platform::InstallCrashDumpFilter();
  if (!PrepareProcess()) return 0;
  if (IsCrashReportProcess()) {
    SendCrashReport();
    platform::UninitComponentModel();
    return 0;
  }
  SendStartupReports();
  DispatchRunMode();
  CMainModule& module = GetMainModule();
  if (module.m_bRelaunchElevated) RelaunchElevated(platform::GetArgumentsText());
  platform::UninitComponentModel();
  return 0;
}
