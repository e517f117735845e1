#include "app/run_mode_steps.h"

#include <cstdio>

#include "app/program_icon.h"
#include "app/start_facts.h"
#include "common/product.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/system/process.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "server_api/server_connect.h"
#include "settings/cfg_app.h"
#include "update_dialog/main_dlg.h"

namespace {

constexpr int32_t kSoftId = 8;
constexpr int32_t kCategory = 0;

// The large and the small icon, each loaded at the size the system shows it.
void SetWindowIcons(platform::HWND hwnd) {
  using platform::GetSystemMetrics;
  const auto big = LoadProgramIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  const auto small = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  platform::SendMessage(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<platform::LPARAM>(big));
  platform::SendMessage(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<platform::LPARAM>(small));
}

}  // namespace

void InitServerClient() {
  CServerConnect* server = GetServerConnect();
  CCfgApp settings;
  const uint64_t noAction = settings.ReadQwordOr(u"NoAction", 0);
  const uint64_t installTime = settings.ReadQwordOr(u"InstallSvrTime", 0);
  // Before Init the client's clock has no server offset: this is local time.
  const int64_t instTime = installTime == 0 ? server->GetTimestamp() : static_cast<int64_t>(installTime);
  const uint32_t av = settings.ReadDwordOr(u"AV", 0);
  const uint32_t qid = settings.ReadDwordOr(u"QID", 1);
  (void)server->Init(kSoftId, static_cast<int32_t>(qid), product::kVersionText, static_cast<int32_t>(av),
                     kCategory, instTime, noAction != 0 ? 1 : 0);
}

void SendStartupReport(int module, bool bNoStartBy) {
  (void)GetServerConnect()->ReportStartup(module, bNoStartBy ? 0 : ParseStartBy());
}

bool CanShowDialog() {
  // Nobody could use a dialog that no one sees, and it would hold the update
  // mutex for as long as it waited (a POSIX session without an X server).
  if (platform::HasUserDisplay()) return true;
  std::fputs("ORVUpdate: no display to show the update dialog on (DISPLAY names no reachable X server)\n",
             stderr);
  if (IsTestMode()) WriteLog("no display for the update dialog");
  return false;
}

bool RunMainDialog(bool bAuto) {
  CMainDlg dialog;
  platform::CMessageLoop loop;
  // The dialog finds the loop while it is being created.
  if (!platform::AddMessageLoop(&loop)) return false;
  bool started = false;
  if (const platform::HWND hwnd = dialog.CreateDialogWindow(BuildWindowClassName(), DialogTitle())) {
    SetWindowIcons(hwnd);
    dialog.Place(!bAuto);
    loop.Run();
    started = dialog.IsInstallerStarted();
  }
  platform::RemoveMessageLoop();
  return started;
}

void RelaunchElevated(const std::u16string& arguments) {
  // The local service runs elevated and starts the program for us; without
  // it the system asks the user for elevation.
  if (GetServerConnect()->StartComponent(product::kProgramFile, arguments.c_str())) return;
  (void)platform::ShellRunAs(GetInstallDir() + product::kProgramFile, arguments);
}
