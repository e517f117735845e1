#include "app/main_module.h"
#include "app/run_mode_steps.h"
#include "app/run_modes.h"
#include "platform/program_entry.h"
#include "platform/process_setup.h"
#include "platform/system_info.h"

namespace {

constexpr int kUpdaterModule = 2;
constexpr int kChildModule = 4;

// The process preparation; false when the program must end at once.
bool PrepareProcess() {
  if (!platform::EnableDebugPrivilege()) return false;
  if (!platform::InitComponentModel()) return false;
  platform::SetAnsiLocale();
  platform::InitCommonControls();
  return true;
}

void SendStartupReports() {
  InitServerClient();
  SendStartupReport(kUpdaterModule, false);
  if (ParseStartBy() == kChildModule) SendStartupReport(kChildModule, true);
}

}  // namespace

int ProgramMain() {
  if (!PrepareProcess()) return 0;
  SendStartupReports();
  DispatchRunMode();
  CMainModule& module = GetMainModule();
  if (module.m_bRelaunchElevated) RelaunchElevated(platform::GetArgumentsText());
  platform::UninitComponentModel();
  return 0;
}
