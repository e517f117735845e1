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

  virtual const std::u16string& GetName() const { return m_sName; }
  virtual void SetName(std::u16string_view name) { m_sName = name; }
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

  virtual IControlHost* GetManager() const { return m_pManager; }
  // Attaches to manager under parent; with init, Init() runs afterwards.
  virtual void SetManager(IControlHost* manager, CControlUI* parent, bool init = true);
  virtual CControlUI* GetParent() const { return m_pParent; }

  virtual const std::u16string& GetText() const { return m_sText; }
  // Stores a changed text and relayouts.
  virtual void SetText(std::u16string_view text);

  // Item rectangle in window client pixels.
  virtual const TUIRect& GetPos() const { return m_rcItem; }
  // Item rectangle offset by the parent's top-left; empty without parent.
  virtual TUIRect GetRelativePos() const;
  // Places the control (see the floating rules in the .cpp) and invalidates
  // the old and new area.
  virtual void SetPos(const TUIRect& rc);
  virtual int GetWidth() const { return m_rcItem.Width(); }
  virtual int GetHeight() const { return m_rcItem.Height(); }
  virtual int GetX() const { return m_rcItem.left; }
  virtual int GetY() const { return m_rcItem.top; }
  // Outer margins used by the parent layout, scaled.
  virtual TUIRect GetPadding() const;
  virtual void SetPadding(const TUIRect& padding);
  virtual TUISize GetFixedXY() const { return m_cXY; }
  virtual void SetFixedXY(TUISize xy);
  virtual TUISize GetFixedSize() const;
  // Fixed width/height, scaled unless raw (96-DPI units) is asked; 0 = not fixed.
  virtual int GetFixedWidth(bool raw = false) const;
  virtual void SetFixedWidth(int cx);
  virtual int GetFixedHeight(bool raw = false) const;
  virtual void SetFixedHeight(int cy);
  // Limits, scaled; a maximum at the ceiling stays kUIMaxSize at any scale.
  virtual int GetMinWidth() const;
  virtual void SetMinWidth(int cx);
  virtual int GetMaxWidth() const;
  virtual void SetMaxWidth(int cx);
  virtual int GetMinHeight() const;
  virtual void SetMinHeight(int cy);
  virtual int GetMaxHeight() const;
  virtual void SetMaxHeight(int cy);
  virtual TUIRectF GetFloatPercent() const { return m_piFloatPercent; }
  virtual void SetFloatPercent(const TUIRectF& percent);
  // Need-update when floating, else need-parent-update.
  virtual void Relayout();

  virtual const std::u16string& GetToolTip() const { return m_sToolTip; }
  // Stores text with every "<n>" replaced by a line break.
  virtual void SetToolTip(std::u16string_view text);
  virtual void SetToolTipWidth(int width) { m_nTooltipWidth = width; }
  virtual int GetToolTipWidth() const;  // scaled

  virtual char16_t GetShortcut() const { return m_chShortcut; }
  virtual void SetShortcut(char16_t ch) { m_chShortcut = ch; }
  virtual bool IsContextMenuUsed() const { return m_bMenuUsed; }
  virtual void SetContextMenuUsed(bool used) { m_bMenuUsed = used; }

  virtual const std::u16string& GetUserData() const { return m_sUserData; }
  virtual void SetUserData(std::u16string_view data) { m_sUserData = data; }
  virtual uintptr_t GetTag() const { return m_pTag; }
  virtual void SetTag(uintptr_t tag) { m_pTag = tag; }

  // Visible and internally visible (no hidden ancestor).
  virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
  virtual void SetVisible(bool visible = true);
  // The visibility an ancestor imposes; hiding drops the manager's focus here.
  virtual void SetInternVisible(bool visible = true);
  virtual bool IsEnabled() const { return m_bEnabled; }
  virtual void SetEnabled(bool enabled = true);
  virtual bool IsMouseEnabled() const { return m_bMouseEnabled; }
  virtual void SetMouseEnabled(bool enabled = true) { m_bMouseEnabled = enabled; }
  virtual bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
  virtual void SetKeyboardEnabled(bool enabled = true) { m_bKeyboardEnabled = enabled; }
  virtual bool IsFocused() const { return m_bFocused; }
  // Asks the manager to focus this control.
  virtual void SetFocus();
  virtual bool IsFloat() const { return m_bFloat; }
  virtual void SetFloat(bool floating = true);

  // callback(this, data) unless a flag excludes the control (kFind*; with
  // kFindHitTest data points to a TUIPoint).
  virtual CControlUI* FindControl(FindControlProc proc, void* data, uint32_t flags);

  // DoInit, then the init callbacks.
  virtual void Init();
  virtual void DoInit() {}
  // The event callbacks first; DoEvent only when none of them returned false.
  virtual void Event(TUIEvent& event);
  virtual void DoEvent(TUIEvent& event);

  // Sets one skin attribute; unknown names are ignored.
  virtual void SetAttribute(std::u16string_view name, std::u16string_view value);
  // Applies name="value" pairs separated by single blanks; any other syntax
  // ends the list silently.
  virtual void ApplyAttributeList(std::u16string_view list);

  // The size wanted inside available: the scaled fixed size.
  virtual TUISize EstimateSize(TUISize available);

  // Paints the part of the control inside paint: background colour, background
  // image, status image, text, border (under a rounded clip with borderround).
  virtual void DoPaint(CUICanvas& dc, const TUIRect& paint);
  virtual void PaintBkColor(CUICanvas& dc);
  virtual void PaintBkImage(CUICanvas& dc);
  virtual void PaintStatusImage(CUICanvas& dc) { (void)dc; }
  virtual void PaintText(CUICanvas& dc) { (void)dc; }
  virtual void PaintBorder(CUICanvas& dc);
  // The keyboard focus indicator of a focused tab stop, in the manager's
  // focus indicator colour.
  virtual void PaintFocusIndicator(CUICanvas& dc);
  virtual void DoPostPaint(CUICanvas& dc, const TUIRect& paint) { (void)dc, (void)paint; }

  // Colours, border and background image (setters invalidate).
  uint32_t GetBkColor() const { return m_dwBackColor; }
  void SetBkColor(uint32_t color);
  uint32_t GetBkColor2() const { return m_dwBackColor2; }
  void SetBkColor2(uint32_t color);
  uint32_t GetBkColor3() const { return m_dwBackColor3; }
  void SetBkColor3(uint32_t color);
  const std::u16string& GetBkImage() const { return m_sBkImage; }
  void SetBkImage(std::u16string_view descriptor);
  uint32_t GetBorderColor() const { return m_dwBorderColor; }
  void SetBorderColor(uint32_t color);
  uint32_t GetFocusBorderColor() const { return m_dwFocusBorderColor; }
  void SetFocusBorderColor(uint32_t color);
  bool IsColorHSL() const { return m_bColorHSL; }
  void SetColorHSL(bool hsl);
  int GetBorderSize() const;  // scaled
  void SetBorderSize(int size);
  // Side sizes as a rectangle (96-DPI units); any side above 0 draws lines.
  TUIRect GetSideBorderSize() const { return m_rcBorderSize; }
  void SetSideBorderSize(const TUIRect& sides);
  int GetBorderStyle() const { return m_nBorderStyle; }
  void SetBorderStyle(int style);
  TUISize GetBorderRound() const;  // scaled
  void SetBorderRound(TUISize round);
  const std::u16string& GetVirtualWnd() const { return m_sVirtualWnd; }
  void SetVirtualWnd(std::u16string_view name);

  // Repaints the visible part of the item rectangle.
  void Invalidate();
  bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
  // Marks the control for layout, invalidates it and tells the manager.
  void NeedUpdate();
  // The same on the parent (on itself without parent).
  void NeedParentUpdate();
  // color shifted by the process-wide hue, saturation and lightness when the
  // HSL flag is set.
  uint32_t GetAdjustColor(uint32_t color) const;
  // Draws an image descriptor over the item rectangle within the paint
  // rectangle; false only without a manager to draw with.
  bool DrawImage(CUICanvas& dc, std::u16string_view descriptor, std::u16string_view modify = {});

  // S(v) with the manager's scale (unscaled without manager), saturated at
  // kUIMaxSize so that the ceiling keeps meaning no limit.
  int Scale(int value) const;
  // The padding rule: left/top scaled, width/height scaled separately.
  TUIRect ScaleRect(const TUIRect& rc) const;
  // The manager as a drawing host; null without manager.
  IUIRenderHost* GetHost() const;

  // Callback lists fired at the end of Init, at the start of destruction,
  // inside SetPos, before DoEvent, and for notifications this control sent.
  CEventSource<CControlUI*> OnInit;
  CEventSource<CControlUI*> OnDestroy;
  CEventSource<CControlUI*> OnSize;
  CEventSource<TUIEvent&> OnEvent;
  CEventSource<TUINotify&> OnNotify;

 protected:
  // Sends a notification through the manager (nothing without one).
  void SendNotify(std::u16string_view type, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Repaints the item rectangle (area) clipped by every ancestor.
  void InvalidateArea(TUIRect area);
  // Stores value in field and repaints, only when that changes the field: the
  // appearance setters repaint on a real change and never on a repeat.
  template <class T, class V>
  void SetAndInvalidate(T& field, const V& value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }

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
  std::u16string m_sToolTip;
  char16_t m_chShortcut = 0;
  std::u16string m_sUserData;
  uintptr_t m_pTag = 0;
  uint32_t m_dwBackColor = 0;
  uint32_t m_dwBackColor2 = 0;
  uint32_t m_dwBackColor3 = 0;
  std::u16string m_sBkImage;
  uint32_t m_dwBorderColor = 0;
  uint32_t m_dwFocusBorderColor = 0;
  bool m_bColorHSL = false;
  int m_nBorderSize = 0;
  int m_nBorderStyle = 0;
  int m_nTooltipWidth = 300;
  TUISize m_cxyBorderRound;
  TUIRect m_rcPaint;
  TUIRect m_rcBorderSize;
  const int32_t m_nAccessibleId;
};

}  // namespace SkinUI
