// CUIPaintManager binds one native top-level window to one control tree. It
// turns window messages into control events, keeps focus, hover, capture and
// timers, lays the tree out and paints it (double-buffered, optionally as a
// per-pixel-alpha layered window), and delivers notifications to the
// listeners the application registered. It owns the window's UI resources
// (CUIResources: fonts, images, styles, colours, the DPI scale) and the
// settings the skin gave the window (TUIWindowAttributes), and answers
// controls' questions about both.
//
// Lifecycle: construct with the window class, Init(window) when the window
// exists, AttachDialog(root) once the skin is built, then forward every window
// message to MessageHandler. Resources, the name map and notifications work
// without a window; without one, invalidation and timers have nothing to act
// on and messages are not handled.
//
// All managers run on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/window/accessibility.h"
#include "platform/window/window_system.h"
#include "skinui/control/control_host.h"
#include "skinui/control/ui_notify.h"
#include "skinui/manager/window_attributes.h"
#include "skinui/render/image_info.h"
#include "skinui/render/render_host.h"
#include "skinui/render/ui_surface.h"
#include "skinui/render/ui_types.h"
#include "skinui/resources/ui_resources.h"

namespace SkinUI {

class CControlUI;
class CUIAccessibleContent;
struct TUIEvent;
class IResourceModule;

// One control timer.
struct TUITimerInfo {
  CControlUI* pSender = nullptr;
  uint32_t nLocalID = 0;  // the control's own id
  platform::HWND hWnd = nullptr;
  uint32_t uWinTimer = 0;  // the native id
  bool bKilled = false;
};

class CUIPaintManager : public IControlHost {
 public:
  // Native timer id of the layered repaint tick.
  static constexpr uint32_t kLayeredUpdateTimerId = 0x2000;
  static constexpr uint32_t kLayeredUpdateElapse = 20;
  // Private message that destroys the controls of the delayed-cleanup list.
  static constexpr uint32_t kMsgDelayedCleanup = 0x8001;
  // WM_PRINTCLIENT sent by the program itself: this bit in lParam says that
  // wParam is a CUICanvas* to paint the client area into.
  static constexpr intptr_t kPrintToCanvas = 0x40000000;

  CUIPaintManager();
  ~CUIPaintManager() override;
  CUIPaintManager(const CUIPaintManager&) = delete;
  CUIPaintManager& operator=(const CUIPaintManager&) = delete;

  // ---- Process-wide -------------------------------------------------------
  // Process start, once before any window: stores the module instance (skin
  // resources come from it, see CSkinResources).
  static void SetInstance(const IResourceModule* instance);
  // The process-wide hue, saturation and lightness of colour adjustment.
  static void SetHSL(short hue, short saturation, short lightness);
  static void GetHSL(short* hue, short* saturation, short* lightness);
  // Every manager that has a window, in the order Init saw them.
  static std::vector<CUIPaintManager*> GetPaintManagers();

  // ---- Setup and tree -----------------------------------------------------
  // Binds the manager to hWnd and joins the process list.
  void Init(platform::HWND hWnd);
  platform::HWND GetPaintWindow() const { return m_hWndPaint; }
  // Attaches root as the window's tree; an earlier root is handed to
  // delayed cleanup. Returns what InitControls returns.
  bool AttachDialog(CControlUI* root);
  // Attaches control (with parent, or its own parent) and registers every
  // named control of its subtree. False for a null control.
  bool InitControls(CControlUI* control, CControlUI* parent = nullptr) override;
  // Forgets control everywhere (called when a control is destroyed).
  void ReapObjects(CControlUI* control) override;
  // Detaches control and destroys it on the next delayed-cleanup message.
  void AddDelayedCleanup(CControlUI* control) override;
  CControlUI* GetRoot() const { return m_pRoot; }
  // The top-most visible, mouse-enabled control that contains point.
  CControlUI* FindControl(TUIPoint point) const;
  // The control registered under name; null when none.
  CControlUI* FindControl(std::u16string_view name) const;
  // The same searches inside the subtree of parent.
  CControlUI* FindSubControlByPoint(CControlUI* parent, TUIPoint point) const;
  CControlUI* FindSubControlByName(CControlUI* parent, std::u16string_view name) const;

  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  bool AddPreMessageFilter(IMessageFilterUI* filter);
  bool RemovePreMessageFilter(IMessageFilterUI* filter);
  bool AddMessageFilter(IMessageFilterUI* filter);
  bool RemoveMessageFilter(IMessageFilterUI* filter);
  bool AddPostPaint(CControlUI* control);
  bool RemovePostPaint(CControlUI* control);
  bool AddTranslateAccelerator(ITranslateAccelerator* translator);
  bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
  // Option groups: controls that share a group name (one selected at a time).
  bool AddOptionGroup(std::u16string_view group, CControlUI* control);
  const std::vector<CControlUI*>* GetOptionGroup(std::u16string_view group) const;
  void RemoveOptionGroup(std::u16string_view group, CControlUI* control);
  void RemoveAllOptionGroups();
  // Controls name a virtual window; notifications then carry it.
  void SetUsedVirtualWnd(bool used) override { m_bUsedVirtualWnd = used; }
  bool IsUsedVirtualWnd() const { return m_bUsedVirtualWnd; }

  // ---- Resources and window settings -------------------------------------
  CUIResources& Resources() { return m_resources; }
  const CUIResources& Resources() const { return m_resources; }
  // What controls and rendering ask: the window's resources.
  const TUIFontInfo* GetFontInfo(int index) override { return m_resources.GetFontInfo(index); }
  int FindFont(std::u16string_view face, int size, bool bold, bool underline,
               bool italic) override {
    return m_resources.FindFont(face, size, bold, underline, italic);
  }
  int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override {
    return m_resources.AddFont(face, size, bold, underline, italic);
  }
  const TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view type,
                                 uint32_t mask) override {
    return m_resources.GetImageEx(name, type, mask);
  }
  std::u16string GetStyle(std::u16string_view name) const override {
    return m_resources.GetStyle(name);
  }
  uint32_t GetDefaultDisabledColor() const override { return m_resources.Colors().disabledFont; }
  uint32_t GetDefaultFontColor() const override { return m_resources.Colors().font; }
  uint32_t GetLinkColor() const override { return m_resources.Colors().linkFont; }
  uint32_t GetLinkHoverColor() const override { return m_resources.Colors().linkHoverFont; }
  uint32_t GetSelectedBkColor() const override { return m_resources.Colors().selectedBk; }
  uint32_t GetFocusIndicatorColor() const override { return m_resources.Colors().focusIndicator; }

  // The skin's settings for the window, in 96-DPI units.
  const TUIWindowAttributes& GetWindowAttributes() const { return m_window; }
  // The same at the window's scale, as the window shows them.
  TUIWindowAttributes GetScaledWindowAttributes() const { return m_window.ScaledBy(GetDPIScale()); }
  // Takes the skin's settings: layered presentation, its image and the
  // opacity take effect as their setters below do.
  void SetWindowAttributes(const TUIWindowAttributes& attributes);
  // Window opacity 0..255 (repaints).
  void SetOpacity(uint8_t opacity);
  // Layered (per-pixel alpha) presentation on or off; see the .cpp for when
  // it is ignored.
  void SetLayered(bool layered);
  bool IsLayered() const { return m_bLayered; }
  // The image descriptor painted under the tree in layered mode.
  void SetLayeredImage(std::u16string_view descriptor);

  // Sets the scale from dpi (dpi x 100 / 96, rounded) and relayouts.
  void SetDPI(int dpi);
  // Sets the scale in percent: fonts are made again at it and the whole tree
  // is laid out and painted again.
  void SetDPIScale(int scale);
  int GetDPIScale() const override { return m_resources.GetDPIScale(); }
  int Scale(int value) const { return ScaleByDpi(value, GetDPIScale()); }
  // The DPI of the monitor that holds window, or without one of the monitor
  // nearest to the screen point (1, 1); 96 when the platform cannot tell.
  static int GetMonitorDPI(platform::HWND window);

  // ---- Events and notifications -------------------------------------------
  // Handles one message of the window; true when handled (lRes is its result).
  bool MessageHandler(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  // Called by the loop before dispatch: filters, Tab / Shift+Tab, system keys
  // and shortcuts. True when handled.
  bool PreMessageHandler(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  // Offers msg to the translate-accelerator handlers; true when one took it.
  bool TranslateAccelerator(const platform::MSG& msg);

  // Delivers msg (sender callbacks, then every notifier), or queues a copy
  // for the start or end of the next message when async.
  void SendNotify(TUINotify& msg, bool async = false);
  void SendNotify(CControlUI* control, std::u16string_view type, uintptr_t wParam = 0,
                  intptr_t lParam = 0, bool async = false) override;

  // Tells screen readers what happened to control; a page shown or hidden
  // stands for the controls it holds.
  void AnnounceAccessible(CControlUI* control, platform::EAccessibleEvent event) override;

  CControlUI* GetFocus() const override { return m_pFocus; }
  // Moves the focus to control (null clears it): see the .cpp for the rules.
  void SetFocus(CControlUI* control) override;
  // Focuses the next tab stop at the next paint.
  void SetFocusNeeded(CControlUI* control);
  // Moves the focus to the next (previous) tab stop, wrapping around.
  bool SetNextTabControl(bool forward = true) override;

  // Starts a control timer; false when a live one with this id exists.
  bool SetTimer(CControlUI* control, uint32_t timerId, uint32_t elapse) override;
  // Stops a control timer (it may be restarted with its native id).
  bool KillTimer(CControlUI* control, uint32_t timerId) override;
  // Stops and forgets every timer of control.
  void KillTimer(CControlUI* control);
  void RemoveAllTimers();

  void SetCapture();
  void ReleaseCapture();
  // Shows cursor (EUICursor) while the mouse is over the window.
  void SetCursor(int cursor) override;
  bool IsCaptured() const { return m_bMouseCapture; }

  // Repaints rect (client coordinates); in layered mode it joins the layered
  // dirty rectangle, repainted by the next 20 ms tick (which runs only while
  // that rectangle is not empty, and presents only that rectangle).
  void Invalidate(const TUIRect& rect) override;
  void Invalidate();
  // Asks for a layout at the next paint.
  void NeedUpdate() override { m_bUpdateNeeded = true; }
  bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
  TUIPoint GetMousePos() const override { return m_ptLastMousePos; }
  TUISize GetClientSize() const;
  // Lays the tree out when needed and paints the client area (within the
  // canvas clip) into dc as print-client does: in layered mode over the
  // layered background and with the same alpha the layered window shows.
  void PaintClientTo(CUICanvas& dc);
  // The off-screen surface of the last paint.
  const CUISurface& GetOffscreenSurface() const { return m_offscreen; }
  const TUIRect& GetLayeredUpdateRect() const { return m_rcLayeredUpdate; }

 private:
  struct TTooltip {
    std::u16string text;
    TUIRect rect;
    int maxWidth = 0;
    bool shown = false;
  };

  // Message handlers, one per concern (paint_manager_*.cpp).
  bool HandleWindowMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  bool HandleMouseMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  bool HandleKeyMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  void OnSize(uintptr_t wParam);
  void OnClose();
  bool OnSetCursor(intptr_t lParam, intptr_t& lRes);
  void OnGetMinMaxInfo(intptr_t lParam);
  bool OnReflect(uint32_t uMsg, uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  void OnContextMenu(intptr_t lParam);
  bool OnPrintClient(uintptr_t wParam, intptr_t lParam);
  void OnTimer(uintptr_t wParam, intptr_t lParam);
  void OnMouseMove(intptr_t lParam);
  void OnButtonDown(uint32_t uMsg, uintptr_t wParam, intptr_t lParam);
  void OnButtonUp(uintptr_t wParam, intptr_t lParam);
  void OnMouseWheel(uintptr_t wParam, intptr_t lParam);
  void OnMouseHover(uintptr_t wParam, intptr_t lParam);
  void OnMouseLeave();
  void OnDelayedCleanup();
  // WM_GETOBJECT: the tree screen readers read (paint_manager_accessibility.cpp).
  bool OnGetObject(uintptr_t wParam, intptr_t lParam, intptr_t& lRes);
  // Objects handed out to screen readers stop reaching this manager.
  void ReleaseAccessible();
  void OnPaint();
  // The layered tick: the dirty rectangle is repainted (at once while hidden,
  // else through a paint message), the tick stops when nothing is left.
  void OnLayeredTick();
  void StartLayeredTimer();
  void StopLayeredTimer();
  bool OnPreKeyDown(uintptr_t wParam);
  // The process list: every manager that has a window, on the UI thread.
  static std::vector<CUIPaintManager*>& AllManagers();
  bool OnSysChar(uintptr_t wParam);

  // Paint steps (paint_manager_paint.cpp).
  // A root to paint, not minimised, a client area that is not empty.
  bool CanPaint() const;
  void PaintHiddenLayered();
  // Empties the layered dirty rectangle and stops the tick; what it held.
  TUIRect TakeLayeredUpdate();
  // Paints and presents area within the client (nothing when empty).
  void PaintDirty(const TUIRect& area);
  // What follows every paint: a layout asked for during it, a failed present.
  void FinishPaint();
  bool LayoutIfNeeded();
  // Places a control that needs an update at its current position again.
  void Reposition(CControlUI* control);
  void PaintAndPresent(const TUIRect& client, const TUIRect& dirty);
  void PrepareSurfaces(const TUIRect& client);
  void DrawLayeredBackground(CUISurface& target, const TUIRect& client);
  void PaintTree(CUICanvas& dc, const TUIRect& dirty);
  // The alpha fix-up of layered mode over dirty of target.
  void FixLayeredAlpha(CUISurface& target, const CUISurface* background,
                       const TUIRect& dirty) const;
  static uint32_t FixAgainstBackground(uint32_t pixel, uint32_t background);
  uint32_t FixWithoutBackground(uint32_t pixel) const;
  void Present(const TUIRect& dirty);

  // Gives control an event; the mouse point is the last one unless given.
  void FireEvent(CControlUI* control, int type, uintptr_t wParam = 0, intptr_t lParam = 0);
  void FireEvent(CControlUI* control, int type, uintptr_t wParam, intptr_t lParam, TUIPoint point);
  void SendAsyncNotify();
  void ShowTooltip(CControlUI* control);
  void HideTooltip();
  void StartMouseTracking();
  // The control under point, when it belongs to this manager.
  CControlUI* ControlUnderPoint(TUIPoint point) const;
  uint16_t GetKeyStateBits() const;
  bool IsNativeTimerInUse(uint32_t id) const;
  uint32_t NextNativeTimerId();
  // Focuses the control SetFocusNeeded asked for, else the visible default
  // control, else the next tab stop.
  void TakeNeededFocus();
  // The visible, enabled control that is its page's main action; null when none.
  CControlUI* FindDefaultControl() const;
  // Enter while no tab stop has the focus activates the default control.
  bool ActivateDefaultControl(uintptr_t key);

  bool m_bTooltipEnabled = true;
  platform::HWND m_hWndPaint = nullptr;
  // Off-screen and layered-background surfaces (the "memory DCs").
  CUISurface m_offscreen;
  CUISurface m_layeredBackground;
  platform::HWND m_hwndTooltip = nullptr;
  TTooltip m_tooltip;
  CControlUI* m_pRoot = nullptr;
  // The attached tree the manager destroys, kept when ReapObjects drops the
  // root (the window shell does that on WM_DESTROY).
  CControlUI* m_pOwnedRoot = nullptr;
  CControlUI* m_pFocus = nullptr;
  CControlUI* m_pFocusNeeded = nullptr;  // focused at the next paint
  CControlUI* m_pEventKey = nullptr;
  CControlUI* m_pEventHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  TUIPoint m_ptLastMousePos{-1, -1};
  uint32_t m_uTimerID = 0;
  bool m_bFirstLayout = true;
  bool m_bUpdateNeeded = false;
  bool m_bFocusNeeded = false;
  // Always on: the window system shows a canvas, there is no painting
  // straight into the window.
  bool m_bOffscreenPaint = true;
  bool m_bMouseTracking = false;
  bool m_bMouseCapture = false;
  bool m_bUsedVirtualWnd = false;
  bool m_bPresentFailed = false;  // the last paint could not be shown
  std::vector<INotifyUI*> m_aNotifiers;
  std::vector<TUITimerInfo> m_aTimers;
  std::vector<IMessageFilterUI*> m_aPreMessageFilters;
  std::vector<IMessageFilterUI*> m_aMessageFilters;
  std::vector<CControlUI*> m_aPostPaintControls;
  std::vector<CControlUI*> m_aDelayedCleanup;
  std::vector<TUINotify> m_aAsyncNotify;
  std::vector<ITranslateAccelerator*> m_aTranslateAccelerator;
  std::unordered_map<std::u16string, CControlUI*> m_mNameHash;
  std::unordered_map<std::u16string, std::vector<CControlUI*>> m_mOptionGroup;
  CUIResources m_resources;
  TUIWindowAttributes m_window;  // the skin's settings; m_bLayered is what took effect
  bool m_bLayeredChanged = false;
  bool m_bLayered = false;
  TUIRect m_rcLayeredUpdate;
  bool m_bLayeredTimerOn = false;  // the 0x2000 tick is running
  // What screen readers were given, made on their first request.
  std::unique_ptr<CUIAccessibleContent> m_pAccessible;
};

}  // namespace SkinUI
