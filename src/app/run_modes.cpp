#include "app/run_modes.h"

#include "app/close_ad.h"
#include "app/main_module.h"
#include "app/run_mode_steps.h"
#include "app/start_facts.h"
#include "crash_reports/dump_upload.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/system/process.h"
#include "platform/system/process_command_line.h"
#include "platform/system/sleep.h"
#include "platform/window/window_activation.h"
#include "platform/window/window_system.h"

namespace {

void RunInteractiveMode() {
  CMainModule& module = GetMainModule();
  const uint32_t level = GetIntegrityLevel();
  // A run that would show the dialog itself decides about the display before
  // it takes the mutex: finding out may take a while (an X server that does
  // not answer is given a few seconds). An elevated start leaves it to the
  // elevated run.
  if (level >= kHighIntegrityRid && !CanShowDialog()) return;
  if (!module.AcquireUpdateMutex()) {
    // Another instance runs the dialog: bring its window forward, if any. It
    // is registered under this computer's dialog class name.
    platform::ActivateWindowOfClass(BuildWindowClassName());
    return;
  }
  if (level < kHighIntegrityRid) {
    module.m_bRelaunchElevated = true;
  } else {
    RunUpdateDialog(false);
  }
  module.ReleaseUpdateMutex();
}

}  // namespace

void DispatchRunMode(const std::vector<std::u16string>& args) {
  if (args.size() != 1) {
    const std::u16string first = args.size() > 1 ? args[1] : std::u16string();
    if (first == u"-auto") return RunAutoMode();
    if (first == u"-close_ad") return CloseAdRequest();
    if (first != u"-update") return;  // "-inst_fix" and anything else: nothing more
  }
  RunInteractiveMode();
}

void DispatchRunMode() { DispatchRunMode(platform::GetCommandLineArgs()); }

void RunAutoMode() {
  CMainModule& module = GetMainModule();
  if (IsTestMode()) WriteLog("ExecAutoUpdate");
  platform::SleepMilliseconds(AutoModeDelayMs());
  if (module.AcquireUploadMutex()) {
    RunDumpUpload(GetDataDir() + u"Dumps.zip");
    module.ReleaseUploadMutex();
  }
  // The hidden dialog runs with or without a display; which one it gets is
  // settled before the mutex is held, as finding out may take a while.
  (void)platform::HasUserDisplay();
  if (module.AcquireUpdateMutex()) {
    RunUpdateDialog(true);
    module.ReleaseUpdateMutex();
  }
}

bool RunUpdateDialog(bool bAuto) {
  if (bAuto && IsNoActionRecent()) return false;
  return RunMainDialog(bAuto);
}
