#include "update_dialog/main_dlg.h"

#include "common/product.h"
#include "platform/window/window_messages.h"
#include "skinui/control/control.h"
#include "skinui/control/progress.h"
#include "skinui/control/user_data_format.h"
#include "skinui/layout/tab_layout.h"
#include "update_dialog/update_workers.h"

using namespace platform;

namespace {

constexpr char16_t kUpToDateText[] = u"当前已是最新版本！";
constexpr char16_t kInstallerRunningText[] = u"安装程序正在运行，请等待安装完成！";
constexpr char16_t kPathTooLongText[] = u"数据文件夹路径过长，无法保存安装包！";

// What the dialog says instead of its usual text when a worker held back.
const char16_t* HoldText(EUpdateHold hold) {
  switch (hold) {
    case EUpdateHold::kInstallerRunning:
      return kInstallerRunningText;
    case EUpdateHold::kInstallerPathTooLong:
      return kPathTooLongText;
    case EUpdateHold::kNone:
      break;
  }
  return nullptr;
}

constexpr UINT kDialogClassStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_MINIMIZEBOX;

template <class C>
C* As(SkinUI::CControlUI* control, std::u16string_view interfaceName) {
  return control != nullptr ? static_cast<C*>(control->GetInterface(interfaceName)) : nullptr;
}

}  // namespace

std::u16string DialogTitle() {
  return SkinUI::FormatUserData(u"%s 在线升级", {std::u16string(product::kDisplayName)});
}

CMainDlg::CMainDlg() : m_pJob(std::make_shared<CUpdateJob>()) {}

CMainDlg::~CMainDlg() {
  // Workers still running were left (JoinLeftWorkers); the job they hold,
  // and the client it holds, stay alive for them.
  m_pJob->m_bCancel.store(true);
}

HWND CMainDlg::CreateDialogWindow(std::u16string_view className, std::u16string_view title) {
  return Create(className, kDialogClassStyle, nullptr, title, kDialogStyle, WS_EX_APPWINDOW);
}

void CMainDlg::Place(bool show) {
  CenterOnWorkArea();
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  m_pJob->m_bWindowVisible.store(IsWindowVisible(m_hWnd));
}

BOOL CMainDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                    DWORD mapId) {
  if (mapId != 0) return false;
  ProcessLaceMessage(hWnd, uMsg, wParam);
  if (CSkinFrameWndImpl<CMainDlg>::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId))
    return true;
  switch (uMsg) {
    case WM_CREATE:
      lResult = OnCreate();
      return true;
    case WM_DESTROY:
      OnDestroy();
      return false;
    case WM_SHOWWINDOW:
      m_pJob->m_bWindowVisible.store(wParam != 0);
      return false;
    case WM_KEYDOWN:
      if (wParam != static_cast<WPARAM>(VK_ESCAPE)) return false;
      CloseAsFailed();  // Esc is the close button
      lResult = 0;
      return true;
    case WM_CLOSE:
      OnClose();
      return false;
    case WM_TIMER:
      OnTimer(wParam);
      lResult = 0;
      return true;
    case WM_UPDATE_RESULT:
      OnUpdateResult(wParam != 0);
      lResult = 0;
      return true;
    default:
      return false;
  }
}

LRESULT CMainDlg::OnCreate() {
  m_pTabMain = As<SkinUI::CTabLayoutUI>(Find(u"tab_main"), u"TabLayout");
  if (m_pTabMain == nullptr) return -1;
  m_pTabStatus = As<SkinUI::CTabLayoutUI>(Find(u"tab_status"), u"TabLayout");
  if (m_pTabStatus == nullptr) return -1;
  SetLabelFromUserData(u"lab_title", product::kDisplayName);
  SetLabelFromUserData(u"lab_cur_version", product::kVersionText);
  const HWND hWnd = m_hWnd;
  m_pJob->m_onChecked = [hWnd](bool ok) { PostMessage(hWnd, WM_UPDATE_RESULT, ok ? 1 : 0, 0); };
  // No thread for the check (out of memory or threads): the check failed.
  // Posted, so that it is judged once the window is shown or kept hidden.
  if (!m_checkThread.Start([job = m_pJob] { CheckUpdateThread(job); }))
    PostMessage(hWnd, WM_UPDATE_RESULT, 0, 0);
  if (CMessageLoop* loop = GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  return 0;
}

void CMainDlg::Notify(SkinUI::TUINotify& msg) {
  if (msg.sType != u"click" || msg.pSender == nullptr) return;
  const std::u16string& name = msg.pSender->GetName();
  if (name == u"btn_update") {
    StartInstall();  // a failed start shows the failure itself
  } else if (name == u"sysminbutton") {
    PostSysCommand(SC_MINIMIZE);
  } else if (name == u"sysclosebutton" || name == u"btn_close") {
    CloseAsFailed();
  }
}

BOOL CMainDlg::OnIdle() {
  // The check worker asks silently when the dialog is hidden.
  m_pJob->m_bWindowVisible.store(IsWindowVisible(m_hWnd));
  return false;
}

bool CMainDlg::StartInstall() {
  m_pTabStatus->SelectItem(1, true);
  if (!m_installThread.Start([job = m_pJob] { InstallThread(job); })) {
    // Ends as a download that failed at once; 0 % would otherwise stay.
    EndWithFailure();
    return false;
  }
  SetTimer(m_hWnd, TIMER_ID_PROGRESS, kProgressTimerElapse);
  return true;
}

void CMainDlg::OnUpdateResult(bool ok) {
  const bool hidden = !IsWindowVisible(m_hWnd);
  if (ok && !m_pJob->m_strNewVersion.empty() && !m_pJob->m_strDownloadUrl.empty()) {
    m_pTabMain->SelectItem(1, true);
    SetLabelFromUserData(u"lab_new_version", m_pJob->m_strNewVersion);
    if (hidden) StartInstall();  // a failed start closes the hidden dialog
    return;
  }
  if (SkinUI::CControlUI* checking = Find(u"lab_checking")) {
    const char16_t* hold = HoldText(m_pJob->m_hold.load());
    checking->SetText(hold ? hold : ok ? std::u16string(kUpToDateText) : checking->GetUserData());
  }
  m_pJob->m_bFailed.store(true);
  if (hidden) PostSysCommand(SC_CLOSE);
}

void CMainDlg::OnTimer(UINT_PTR id) {
  if (id != TIMER_ID_PROGRESS) return;
  const int32_t progress = m_pJob->m_nProgress.load();
  if (auto* bar = As<SkinUI::CProgressUI>(Find(u"progress_update"), u"Progress")) bar->SetValue(progress);
  SetLabelFromUserData(u"lab_progress", progress);
  if (m_installThread.IsStarted() && m_installThread.WaitForEnd(0)) OnInstallEnded();
}

void CMainDlg::OnInstallEnded() {
  KillTimer(m_hWnd, TIMER_ID_PROGRESS);
  if (!m_pJob->m_bFailed.load()) {
    m_bClosingAfterInstall = true;
    PostSysCommand(SC_CLOSE);
    return;
  }
  EndWithFailure();
}

void CMainDlg::EndWithFailure() {
  m_pJob->m_bFailed.store(true);
  if (!IsWindowVisible(m_hWnd)) {
    // Nobody would ever close a hidden dialog that stays; it would hold the
    // update mutex until logoff.
    PostSysCommand(SC_CLOSE);
    return;
  }
  if (SkinUI::CControlUI* progress = Find(u"lab_progress")) progress->SetVisible(false);
  if (SkinUI::CControlUI* error = Find(u"lab_error")) {
    if (const char16_t* hold = HoldText(m_pJob->m_hold.load())) error->SetText(hold);
    error->SetVisible(true);
  }
}

void CMainDlg::OnClose() {
  // Every close but the dialog's own after the hand-over (Alt+F4, the
  // window manager's, the taskbar's) is the user's: the close button's.
  if (!m_bClosingAfterInstall) m_pJob->m_bFailed.store(true);
}

void CMainDlg::OnDestroy() {
  // Workers stop at their next check; one that needs longer than its wait
  // is left to end (and be joined before the process ends) rather than being
  // killed mid-write.
  m_pJob->m_bCancel.store(true);
  for (CWorkerThread* worker : {&m_checkThread, &m_installThread}) {
    if (!worker->WaitForEnd(kWorkerWaitMs)) worker->Leave();
  }
  if (CMessageLoop* loop = GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  PostQuitMessage(1);
}

void CMainDlg::PostSysCommand(WPARAM command) { PostMessage(m_hWnd, WM_SYSCOMMAND, command, 0); }

void CMainDlg::CloseAsFailed() {
  m_pJob->m_bFailed.store(true);
  PostSysCommand(SC_CLOSE);
}

void CMainDlg::SetLabelFromUserData(std::u16string_view name, const std::u16string& arg) {
  if (SkinUI::CControlUI* label = Find(name)) {
    label->SetText(SkinUI::FormatUserData(label->GetUserData(), {arg}));
  }
}

void CMainDlg::SetLabelFromUserData(std::u16string_view name, long long arg) {
  if (SkinUI::CControlUI* label = Find(name)) {
    label->SetText(SkinUI::FormatUserData(label->GetUserData(), {arg}));
  }
}

SkinUI::CControlUI* CMainDlg::Find(std::u16string_view name) const { return m_pm.FindControl(name); }
