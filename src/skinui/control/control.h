// The base of every element of a skinned window: geometry (position, fixed
// size, padding, limits, floating placement), state flags, background and
// border painting, name and user data, and input events. Sizes are kept in
// 96-DPI units and scaled by the manager's DPI scale when read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window/accessibility.h"
#include "skinui/control/control_host.h"
#include "skinui/control/control_style.h"
#include "skinui/control/event_source.h"
#include "skinui/render/ui_surface.h"
#include "skinui/render/ui_types.h"

namespace SkinUI {

class CControlUI;
class IUIRenderHost;
struct TUINotify;

// Event kinds, numbered from 1 in this order: ranges are tested
// (kEventKeyBegin..kEventKeyEnd, kEventMouseBegin..kEventMouseEnd).
enum EUIEventType : int {
  kEventFirst = 1,
  kEventKeyBegin,
  kEventKeyDown,
  kEventKeyUp,
  kEventChar,
  kEventSysKey,
  kEventKeyEnd,
  kEventMouseBegin,
  kEventMouseMove,
  kEventMouseLeave,
  kEventMouseEnter,
  kEventMouseHover,
  kEventButtonDown,
  kEventButtonUp,
  kEventRButtonDown,
  kEventDblClick,
  kEventContextMenu,
  kEventScrollWheel,
  kEventMouseEnd,
  kEventKillFocus,
  kEventSetFocus,
  kEventWindowSize,
  kEventSetCursor,
  kEventTimer,
};

// Key state bits of an event (the keyboard state at event time).
enum : uint16_t {
  kKeyStateRButton = 1,
  kKeyStateLButton = 2,
  kKeyStateShift = 4,
  kKeyStateControl = 8,
  kKeyStateAlt = 32,
};

// Control flags (GetControlFlags).
enum : uint32_t {
  kControlFlagTabStop = 1,
  kControlFlagSetCursor = 2,
  // The main action of its page: first to take the focus, and what Enter
  // activates while no tab stop has the focus.
  kControlFlagDefault = 4,
};

// FindControl flags.
enum : uint32_t {
  kFindVisible = 1,
  kFindEnabled = 2,
  kFindHitTest = 4,
  kFindTopFirst = 8,
  kFindMeFirst = 0x80000000u,
};

// Cursors a control asks its manager for.
enum EUICursor : int { kCursorArrow = 0, kCursorHand = 1 };

// The default maximum size: no limit. It stays the ceiling at every scale.
constexpr int kUIMaxSize = 0x40000000;

// Float percentages of a floating control: fractions of the parent's size.
struct TUIRectF {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

// One input event delivered to a control.
struct TUIEvent {
  int type = 0;  // EUIEventType
  CControlUI* sender = nullptr;
  uint32_t timestamp = 0;  // milliseconds since system start
  TUIPoint mouse;          // client coordinates
  char16_t key = 0;
  uint16_t keyState = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// What a control tells screen readers about itself.
struct TUIAccessibleInfo {
  platform::EAccessibleRole role = platform::EAccessibleRole::kStaticText;
  std::u16string name;
  std::u16string value;
  std::u16string defaultAction;
};

// FindControl's callback: the match for a control that passed the flags, or null.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

class CControlUI {
 public:
  CControlUI();
  // Fires the destroy callbacks and makes the manager forget the control.
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // ---- Identity -------------------------------------------------------------
  const std::u16string& GetName() const { return m_sName; }
  void SetName(std::u16string_view name) { m_sName = name; }
  // The element name of the class ("Control").
  virtual std::u16string_view GetClass() const;
  // This control as the interface of that name ("Control"), or null.
  virtual void* GetInterface(std::u16string_view name);
  // kControlFlag* bits; 0 for the base control.
  virtual uint32_t GetControlFlags() const { return 0; }
  // Performs the control's action; true when visible and enabled.
  virtual bool Activate();
  // Describes the control to screen readers; false for a control that is
  // only layout or decoration (what it holds is read in its place).
  virtual bool GetAccessibleInfo(TUIAccessibleInfo& info) const;
  // The id screen readers know the control by: positive, never reused in
  // the process.
  int32_t GetAccessibleId() const { return m_nAccessibleId; }
  // The highest accessible id handed out so far: ids above it never named a
  // control.
  static int32_t GetLastAccessibleId();

  IControlHost* GetManager() const { return m_pManager; }
  // Attaches to manager under parent; with init, Init() runs afterwards.
  virtual void SetManager(IControlHost* manager, CControlUI* parent, bool init = true);
  CControlUI* GetParent() const { return m_pParent; }

  const std::u16string& GetText() const { return m_sText; }
  // Stores a changed text and relayouts.
  void SetText(std::u16string_view text);

  // ---- Geometry -------------------------------------------------------------
  // Item rectangle in window client pixels.
  const TUIRect& GetPos() const { return m_rcItem; }
  // Item rectangle offset by the parent's top-left; empty without parent.
  TUIRect GetRelativePos() const;
  // Places the control (see the floating rules in the .cpp) and invalidates
  // the old and new area.
  virtual void SetPos(const TUIRect& rc);
  int GetWidth() const { return m_rcItem.Width(); }
  int GetHeight() const { return m_rcItem.Height(); }
  int GetX() const { return m_rcItem.left; }
  int GetY() const { return m_rcItem.top; }
  // Outer margins used by the parent layout, scaled.
  TUIRect GetPadding() const;
  void SetPadding(const TUIRect& padding);
  TUISize GetFixedXY() const { return m_cXY; }
  void SetFixedXY(TUISize xy);
  TUISize GetFixedSize() const;
  // Fixed width/height, scaled unless raw (96-DPI units) is asked; 0 = not fixed.
  int GetFixedWidth(bool raw = false) const;
  void SetFixedWidth(int cx);
  int GetFixedHeight(bool raw = false) const;
  void SetFixedHeight(int cy);
  // Limits, scaled; a maximum at the ceiling stays kUIMaxSize at any scale.
  int GetMinWidth() const;
  void SetMinWidth(int cx);
  int GetMaxWidth() const;
  void SetMaxWidth(int cx);
  int GetMinHeight() const;
  void SetMinHeight(int cy);
  int GetMaxHeight() const;
  void SetMaxHeight(int cy);
  TUIRectF GetFloatPercent() const { return m_piFloatPercent; }
  void SetFloatPercent(const TUIRectF& percent);
  // Need-update when floating, else need-parent-update.
  void Relayout();
  // The size wanted inside available: the scaled fixed size.
  virtual TUISize EstimateSize(TUISize available);

  // ---- Input and data -------------------------------------------------------
  char16_t GetShortcut() const { return m_chShortcut; }
  void SetShortcut(char16_t ch) { m_chShortcut = ch; }
  bool IsContextMenuUsed() const { return m_bMenuUsed; }
  void SetContextMenuUsed(bool used) { m_bMenuUsed = used; }

  const std::u16string& GetUserData() const { return m_sUserData; }
  void SetUserData(std::u16string_view data) { m_sUserData = data; }
  uintptr_t GetTag() const { return m_pTag; }
  void SetTag(uintptr_t tag) { m_pTag = tag; }

  // ---- State ----------------------------------------------------------------
  // Visible and internally visible (no hidden ancestor).
  bool IsVisible() const { return m_bVisible && m_bInternVisible; }
  void SetVisible(bool visible = true);
  // The visibility an ancestor imposes; hiding drops the manager's focus here.
  void SetInternVisible(bool visible = true);
  bool IsEnabled() const { return m_bEnabled; }
  virtual void SetEnabled(bool enabled = true);
  bool IsMouseEnabled() const { return m_bMouseEnabled; }
  void SetMouseEnabled(bool enabled = true) { m_bMouseEnabled = enabled; }
  bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
  void SetKeyboardEnabled(bool enabled = true) { m_bKeyboardEnabled = enabled; }
  bool IsFocused() const { return m_bFocused; }
  // Asks the manager to focus this control.
  void SetFocus();
  bool IsFloat() const { return m_bFloat; }
  void SetFloat(bool floating = true);
  bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
  // Marks the control for layout, invalidates it and tells the manager.
  void NeedUpdate();
  // The same on the parent (on itself without parent).
  void NeedParentUpdate();
  // Repaints the visible part of the item rectangle.
  void Invalidate();

  // callback(this, data) unless a flag excludes the control (kFind*; with
  // kFindHitTest data points to a TUIPoint).
  virtual CControlUI* FindControl(FindControlProc proc, void* data, uint32_t flags);

  // DoInit, then the init callbacks.
  void Init();
  // The event callbacks first; then, when none of them returned false, the
  // hook of the event's kind (below).
  void Event(TUIEvent& event);

  // Sets one skin attribute; unknown names are ignored.
  virtual void SetAttribute(std::u16string_view name, std::u16string_view value);
  // Applies name="value" pairs separated by single blanks; any other syntax
  // ends the list silently.
  void ApplyAttributeList(std::u16string_view list);

  // ---- Look -----------------------------------------------------------------
  // Paints the part of the control inside paint: background colour, background
  // image, status image, text, border (under a rounded clip with borderround),
  // focus indicator.
  virtual void DoPaint(CUICanvas& dc, const TUIRect& paint);
  // Painted after the whole tree, for controls registered with the manager.
  virtual void DoPostPaint(CUICanvas& dc, const TUIRect& paint) { (void)dc, (void)paint; }

  // The look as a whole (96-DPI units); setting it repaints when it changes.
  const TControlStyle& GetControlStyle() const { return m_style; }
  void SetControlStyle(const TControlStyle& style) { SetAndInvalidate(m_style, style); }
  // Its parts; the setters repaint on a real change.
  uint32_t GetBkColor() const { return m_style.bkColor; }
  void SetBkColor(uint32_t color) { SetAndInvalidate(m_style.bkColor, color); }
  uint32_t GetBkColor2() const { return m_style.bkColor2; }
  void SetBkColor2(uint32_t color) { SetAndInvalidate(m_style.bkColor2, color); }
  uint32_t GetBkColor3() const { return m_style.bkColor3; }
  void SetBkColor3(uint32_t color) { SetAndInvalidate(m_style.bkColor3, color); }
  const std::u16string& GetBkImage() const { return m_style.bkImage; }
  void SetBkImage(std::u16string_view descriptor) { SetAndInvalidate(m_style.bkImage, descriptor); }
  uint32_t GetBorderColor() const { return m_style.borderColor; }
  void SetBorderColor(uint32_t color) { SetAndInvalidate(m_style.borderColor, color); }
  uint32_t GetFocusBorderColor() const { return m_style.focusBorderColor; }
  void SetFocusBorderColor(uint32_t color) { SetAndInvalidate(m_style.focusBorderColor, color); }
  bool IsColorHSL() const { return m_style.colorHSL; }
  void SetColorHSL(bool hsl) { SetAndInvalidate(m_style.colorHSL, hsl); }
  int GetBorderSize() const { return Scale(m_style.borderSize); }
  // Negative sizes are ignored.
  void SetBorderSize(int size);
  // Side sizes as a rectangle (96-DPI units); any side above 0 draws lines.
  TUIRect GetSideBorderSize() const { return m_style.sideBorderSize; }
  void SetSideBorderSize(const TUIRect& sides) { SetAndInvalidate(m_style.sideBorderSize, sides); }
  int GetBorderStyle() const { return m_style.borderStyle; }
  void SetBorderStyle(int style) { SetAndInvalidate(m_style.borderStyle, style); }
  TUISize GetBorderRound() const;  // scaled
  void SetBorderRound(TUISize round) { SetAndInvalidate(m_style.borderRound, round); }
  const std::u16string& GetToolTip() const { return m_style.toolTip; }
  // Stores text with every "<n>" replaced by a line break.
  void SetToolTip(std::u16string_view text);
  void SetToolTipWidth(int width) { m_style.toolTipWidth = width; }
  int GetToolTipWidth() const { return Scale(m_style.toolTipWidth); }
  const std::u16string& GetVirtualWnd() const { return m_sVirtualWnd; }
  void SetVirtualWnd(std::u16string_view name);

  // S(v) with the manager's scale (unscaled without manager), saturated at
  // kUIMaxSize so that the ceiling keeps meaning no limit.
  int Scale(int value) const;

  // Callback lists fired at the end of Init, at the start of destruction,
  // inside SetPos, before the event hooks, and for notifications this control
  // sent.
  CEventSource<CControlUI*> OnInit;
  CEventSource<CControlUI*> OnDestroy;
  CEventSource<CControlUI*> OnSize;
  CEventSource<TUIEvent&> OnEvent;
  CEventSource<TUINotify&> OnNotify;

 protected:
  // Runs first in Init, once the control has its manager.
  virtual void DoInit() {}
  // Called when the control's own or imposed visibility was set (containers
  // pass it on to their children).
  virtual void OnVisibilityChanged() {}

  // The steps of DoPaint, in order.
  void PaintBkColor(CUICanvas& dc);
  void PaintBkImage(CUICanvas& dc);
  virtual void PaintStatusImage(CUICanvas& dc) { (void)dc; }
  virtual void PaintText(CUICanvas& dc) { (void)dc; }
  void PaintBorder(CUICanvas& dc);
  // The keyboard focus indicator of a focused tab stop, in the manager's
  // focus indicator colour.
  void PaintFocusIndicator(CUICanvas& dc);
  // The part of the item rectangle being painted (set by DoPaint).
  const TUIRect& GetPaintRect() const { return m_rcPaint; }
  // Draws an image descriptor over the item rectangle within the paint
  // rectangle; false only without a manager to draw with.
  bool DrawImage(CUICanvas& dc, std::u16string_view descriptor, std::u16string_view modify = {});
  // color shifted by the process-wide hue, saturation and lightness when the
  // HSL flag is set.
  uint32_t GetAdjustColor(uint32_t color) const;
  // The padding rule: left/top scaled, width/height scaled separately.
  TUIRect ScaleRect(const TUIRect& rc) const;
  // The manager as a drawing host; null without manager.
  IUIRenderHost* GetHost() const;

  // One hook per event kind, called by Event. Unless said otherwise, a hook
  // passes the event on to its parent's hook of the same kind.
  virtual void OnKeyDown(TUIEvent& event) { PassToParent(event); }
  virtual void OnKeyUp(TUIEvent& event) { PassToParent(event); }
  virtual void OnChar(TUIEvent& event) { PassToParent(event); }
  virtual void OnSysKey(TUIEvent& event) { PassToParent(event); }
  virtual void OnMouseMove(TUIEvent& event) { PassToParent(event); }
  virtual void OnMouseLeave(TUIEvent& event) { PassToParent(event); }
  virtual void OnMouseEnter(TUIEvent& event) { PassToParent(event); }
  virtual void OnMouseHover(TUIEvent& event) { PassToParent(event); }
  virtual void OnButtonDown(TUIEvent& event) { PassToParent(event); }
  virtual void OnButtonUp(TUIEvent& event) { PassToParent(event); }
  virtual void OnRButtonDown(TUIEvent& event) { PassToParent(event); }
  virtual void OnDblClick(TUIEvent& event) { PassToParent(event); }
  // Sends "menu" when the context menu is used; passes the event on otherwise.
  virtual void OnContextMenu(TUIEvent& event);
  virtual void OnScrollWheel(TUIEvent& event) { PassToParent(event); }
  virtual void OnWindowSize(TUIEvent& event) { PassToParent(event); }
  // The focus flag has followed the event already; the control repaints.
  virtual void OnSetFocus(TUIEvent& event);
  virtual void OnKillFocus(TUIEvent& event);
  // Shows the arrow.
  virtual void OnSetCursor(TUIEvent& event);
  // Sends "timer" with the timer id.
  virtual void OnTimer(TUIEvent& event);
  // Hands event to the parent's hook of its kind (nothing without parent).
  void PassToParent(TUIEvent& event);

  // Sends a notification through the manager (nothing without one).
  void SendNotify(std::u16string_view type, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Stores value in field and repaints, only when that changes the field: the
  // appearance setters repaint on a real change and never on a repeat.
  template <class T, class V>
  void SetAndInvalidate(T& field, const V& value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }

 private:
  // Calls the hook of event's kind; an unknown kind is passed on.
  void Dispatch(TUIEvent& event);
  // Repaints the item rectangle (area) clipped by every ancestor.
  void InvalidateArea(TUIRect area);

  IControlHost* m_pManager = nullptr;
  CControlUI* m_pParent = nullptr;
  std::u16string m_sVirtualWnd;
  std::u16string m_sName;
  bool m_bUpdateNeeded = true;
  bool m_bMenuUsed = false;
  TUIRect m_rcItem;
  TUIRect m_rcPadding;
  TUISize m_cXY;
  TUISize m_cxyFixed;
  TUISize m_cxyMin;
  TUISize m_cxyMax{kUIMaxSize, kUIMaxSize};
  bool m_bVisible = true;
  bool m_bInternVisible = true;
  bool m_bEnabled = true;
  bool m_bMouseEnabled = true;
  bool m_bKeyboardEnabled = false;
  bool m_bFocused = false;
  bool m_bFloat = false;
  TUIRectF m_piFloatPercent;
  bool m_bSetPos = false;  // re-entry guard of the size callbacks
  std::u16string m_sText;
  char16_t m_chShortcut = 0;
  std::u16string m_sUserData;
  uintptr_t m_pTag = 0;
  TControlStyle m_style;
  TUIRect m_rcPaint;
  const int32_t m_nAccessibleId;
};

}  // namespace SkinUI
