#include "app/main_module.h"
#include "app/run_mode_steps.h"
#include "app/run_modes.h"
#include "app/start_facts.h"
#include "app/skin_archive.h"
#include "crash_reports/crash_report.h"
#include "platform/crash/crash_filter.h"
#include "platform/system/process_command_line.h"
#include "platform/system/process_setup.h"
#include "platform/entry/program_entry.h"
#include "update_dialog/worker_thread.h"

namespace {

constexpr int kUpdaterModule = 2;
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
    InitServerClient();
    SendCrashReport();
    platform::UninitComponentModel();
    return 0;
  }
  SendStartupReports();
  DispatchRunMode();
  // A dialog's worker that outlasted its wait ends here, before anything it
  // uses is destroyed with the process.
  JoinLeftWorkers();
  CMainModule& module = GetMainModule();
  if (module.m_bRelaunchElevated) RelaunchElevated(platform::GetArgumentsText());
  platform::UninitComponentModel();
  return 0;
}
