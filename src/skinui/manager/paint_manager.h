// CUIPaintManager binds one native top-level window to one control tree. It
// turns window messages into control events, keeps hover and capture, moves
// the focus (CUIFocusKeeper), runs control timers (CUIControlTimers) and the
// tooltip (CUITooltip), lays the tree out and paints it (double-buffered, optionally as a
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
#include "skinui/manager/control_timers.h"
#include "skinui/manager/focus_keeper.h"
#include "skinui/manager/layered_update.h"
#include "skinui/manager/option_groups.h"
#include "skinui/manager/tooltip.h"
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

class CUIPaintManager : public IControlHost {
 public:
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
  // IControlHost's members are described there (control/control_host.h).
  bool InitControls(CControlUI* control, CControlUI* parent = nullptr) override;
  void ReapObjects(CControlUI* control) override;
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
  CUIOptionGroups& OptionGroups() { return m_optionGroups; }
  void SetUsedVirtualWnd(bool used) override { m_bUsedVirtualWnd = used; }
  bool IsUsedVirtualWnd() const { return m_bUsedVirtualWnd; }

  // ---- Resources and window settings -------------------------------------
  CUIResources& Resources() override { return m_resources; }
  const CUIResources& Resources() const override { return m_resources; }
  // What rendering asks: the window's resources (paint_manager_render_host.cpp).
  const TUIFontInfo* GetFontInfo(int index) override;
  int FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override;
  int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) override;
  const TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view type, uint32_t mask) override;
  uint32_t GetLinkColor() const override;
  uint32_t GetLinkHoverColor() const override;
  uint32_t GetSelectedBkColor() const override;

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
  void SendNotify(CControlUI* control, std::u16string_view type, uintptr_t wParam = 0, intptr_t lParam = 0,
                  bool async = false) override;

  void AnnounceAccessible(CControlUI* control, platform::EAccessibleEvent event) override;

  CControlUI* GetFocus() const override { return m_focus.Get(); }
  // Moves the focus to control (null clears it): see the .cpp for the rules.
  void SetFocus(CControlUI* control) override;
  // Focuses control at the next paint (else the default control or a tab stop).
  void SetFocusNeeded(CControlUI* control);
  bool SetNextTabControl(bool forward = true) override;

  bool SetTimer(CControlUI* control, uint32_t timerId, uint32_t elapse) override;
  // Stops a control timer (it may be restarted with its native id).
  bool KillTimer(CControlUI* control, uint32_t timerId) override;
  // Stops and forgets every timer of control.
  void KillTimer(CControlUI* control);

  void SetCapture();
  void ReleaseCapture();
  void SetCursor(int cursor) override;
  bool IsCaptured() const { return m_bMouseCapture; }

  // Repaints rect (client coordinates); in layered mode it joins the layered
  // dirty rectangle, repainted by the next 20 ms tick (which runs only while
  // that rectangle is not empty, and presents only that rectangle).
  void Invalidate(const TUIRect& rect) override;
  void Invalidate();
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
  const TUIRect& GetLayeredUpdateRect() const { return m_layeredUpdate.Rect(); }

 private:
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
  bool OnPreKeyDown(uintptr_t wParam);
  // The process list: every manager that has a window, on the UI thread.
  static std::vector<CUIPaintManager*>& AllManagers();
  bool OnSysChar(uintptr_t wParam);

  // Paint steps (paint_manager_paint.cpp).
  // A root to paint, not minimised, a client area that is not empty.
  bool CanPaint() const;
  void PaintHiddenLayered();
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
  void Present(const TUIRect& dirty);

  // Gives control an event; the mouse point is the last one unless given.
  void FireEvent(CControlUI* control, int type, uintptr_t wParam = 0, intptr_t lParam = 0);
  void FireEvent(CControlUI* control, int type, uintptr_t wParam, intptr_t lParam, TUIPoint point);
  void SendAsyncNotify();
  void StartMouseTracking();
  // The control under point, when it belongs to this manager.
  CControlUI* ControlUnderPoint(TUIPoint point) const;
  // Focuses the control SetFocusNeeded asked for, else the visible default
  // control, else the next tab stop.
  void TakeNeededFocus();

  platform::HWND m_hWndPaint = nullptr;
  // Off-screen and layered-background surfaces (the "memory DCs").
  CUISurface m_offscreen;
  CUISurface m_layeredBackground;
  CUITooltip m_tooltip;
  CControlUI* m_pRoot = nullptr;
  // The attached tree the manager destroys, kept when ReapObjects drops the
  // root (the window shell does that on WM_DESTROY).
  CControlUI* m_pOwnedRoot = nullptr;
  CUIFocusKeeper m_focus;
  CControlUI* m_pEventKey = nullptr;
  CControlUI* m_pEventHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  TUIPoint m_ptLastMousePos{-1, -1};
  bool m_bFirstLayout = true;
  bool m_bUpdateNeeded = false;
  bool m_bMouseTracking = false;
  bool m_bMouseCapture = false;
  bool m_bUsedVirtualWnd = false;
  bool m_bPresentFailed = false;  // the last paint could not be shown
  std::vector<INotifyUI*> m_aNotifiers;
  CUIControlTimers m_timers;
  std::vector<IMessageFilterUI*> m_aPreMessageFilters;
  std::vector<IMessageFilterUI*> m_aMessageFilters;
  std::vector<CControlUI*> m_aPostPaintControls;
  std::vector<CControlUI*> m_aDelayedCleanup;
  std::vector<TUINotify> m_aAsyncNotify;
  std::vector<ITranslateAccelerator*> m_aTranslateAccelerator;
  std::unordered_map<std::u16string, CControlUI*> m_mNameHash;
  CUIOptionGroups m_optionGroups;
  CUIResources m_resources;
  TUIWindowAttributes m_window;  // the skin's settings; m_bLayered is what took effect
  bool m_bLayeredChanged = false;
  bool m_bLayered = false;
  CUILayeredUpdate m_layeredUpdate;
  // What screen readers were given, made on their first request.
  std::unique_ptr<CUIAccessibleContent> m_pAccessible;
};

}  // namespace SkinUI
