// CMainDlg: the online-upgrade dialog. Built from "dlg_main.xml", it shows
// the current version while the update query runs, then the check's failure,
// the up-to-date text or the offer with its one-click upgrade; the upgrade
// (at once when the dialog is hidden) shows the download's progress and the
// dialog closes itself once the installer has started, or shows the failure
// text when it could not be started (a hidden dialog then just closes).
//
// Runs on the thread that creates it; the workers share only m_pJob.
#pragma once

#include <memory>
#include <string>

#include "skinui/window/skin_frame_wnd.h"
#include "update_dialog/update_job.h"
#include "update_dialog/worker_thread.h"
#include "skinui/window/wnd_lace.h"

namespace SkinUI {
class CTabLayoutUI;
}

// Posted by CheckUpdateThread with wParam = the query's result.
inline constexpr platform::UINT WM_UPDATE_RESULT = 0x0400 + 300;
// The progress display's timer: id and period.
inline constexpr platform::UINT_PTR TIMER_ID_PROGRESS = 100;
inline constexpr platform::UINT kProgressTimerElapse = 100;
// How long the dialog waits for each worker when it closes.
inline constexpr uint32_t kWorkerWaitMs = 1000;

// The dialog's title: "%s 在线升级" filled with the product's display name.
std::u16string DialogTitle();

class CMainDlg : public CSkinFrameWndImpl<CMainDlg>,
                 public CWndWithLace<CMainDlg>,
                 public platform::CIdleHandler {
 public:
  CMainDlg();
  ~CMainDlg() override;

  platform::BOOL ProcessWindowMessage(platform::HWND hWnd, platform::UINT uMsg, platform::WPARAM wParam,
                                      platform::LPARAM lParam, platform::LRESULT& lResult,
                                      platform::DWORD mapId) override;
  virtual std::u16string GetSkinFile() { return u"dlg_main.xml"; }
  void Notify(SkinUI::TUINotify& msg) override;
  platform::BOOL OnIdle() override;

  // Creates the dialog's hidden popup window under className with title;
  // null when the window (or its skin) could not be made.
  platform::HWND CreateDialogWindow(std::u16string_view className, std::u16string_view title);
  // Centres it on its monitor's work area, then shows or hides it.
  void Place(bool show);
  // Switches to the progress page and starts the download; false when the
  // worker could not be started, and the dialog then ends as after a failed
  // download (EndWithFailure).
  bool StartInstall();
  // The dialog's result once it has closed: whether the installer started.
  bool IsInstallerStarted() const { return !m_pJob->m_bFailed.load(); }
  // The state the workers share with the dialog.
  CUpdateJob& GetJob() { return *m_pJob; }

 private:
  platform::LRESULT OnCreate();
  // WM_CLOSE from any source.
  void OnClose();
  void OnDestroy();
  void OnTimer(platform::UINT_PTR id);
  void OnUpdateResult(bool ok);
  // The ended download: closes after a start, else EndWithFailure.
  void OnInstallEnded();
  // No installer started: a hidden dialog closes, a shown one shows the
  // failure text in place of the progress.
  void EndWithFailure();
  void PostSysCommand(platform::WPARAM command);
  void CloseAsFailed();
  // The label named name gets its userdata filled with arg.
  void SetLabelFromUserData(std::u16string_view name, const std::u16string& arg);
  void SetLabelFromUserData(std::u16string_view name, long long arg);
  SkinUI::CControlUI* Find(std::u16string_view name) const;

  CWorkerThread m_checkThread;
  CWorkerThread m_installThread;
  std::shared_ptr<CUpdateJob> m_pJob;
  SkinUI::CTabLayoutUI* m_pTabMain = nullptr;
  SkinUI::CTabLayoutUI* m_pTabStatus = nullptr;
  // The installer started and the dialog closes itself.
  bool m_bClosingAfterInstall = false;
};
