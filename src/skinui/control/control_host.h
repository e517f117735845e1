// What a control asks of the window that hosts it, beyond rendering: focus,
// capture of the pointer's shape, timers, notifications (to the application
// and to screen readers), invalidation and layout, the tree's bookkeeping and
// the window's resources (fonts, images, styles, colours). The paint
// manager implements it; controls know only this face of it, so the control
// and layout folders never include the manager.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window/accessibility.h"
#include "skinui/render/render_host.h"
#include "skinui/render/ui_types.h"
#include "skinui/resources/ui_resources.h"

namespace SkinUI {

class CControlUI;

class IControlHost : public IUIRenderHost {
 public:
  // ---- Tree -------------------------------------------------------------
  // Attaches control (with parent, or its own parent) and registers every
  // named control of its subtree. False for a null control.
  virtual bool InitControls(CControlUI* control, CControlUI* parent = nullptr) = 0;
  // Forgets control everywhere (called when a control is destroyed).
  virtual void ReapObjects(CControlUI* control) = 0;
  // Detaches control and destroys it once the current message is handled.
  virtual void AddDelayedCleanup(CControlUI* control) = 0;

  // ---- Focus and pointer --------------------------------------------------
  virtual CControlUI* GetFocus() const = 0;
  // Moves the focus to control (null clears it).
  virtual void SetFocus(CControlUI* control) = 0;
  // Moves the focus to the next (previous) tab stop, wrapping around.
  virtual bool SetNextTabControl(bool forward = true) = 0;
  // Shows cursor (EUICursor) while the mouse is over the window.
  virtual void SetCursor(int cursor) = 0;

  // ---- Timers -------------------------------------------------------------
  // Starts a control timer; false when a live one with this id exists.
  virtual bool SetTimer(CControlUI* control, uint32_t timerId, uint32_t elapse) = 0;
  // Stops a control timer; false when control has none with this id.
  virtual bool KillTimer(CControlUI* control, uint32_t timerId) = 0;

  // ---- Painting and layout -------------------------------------------------
  // Repaints rect (client coordinates) soon.
  virtual void Invalidate(const TUIRect& rect) = 0;
  // Asks for a layout at the next paint.
  virtual void NeedUpdate() = 0;

  // ---- Notifications ------------------------------------------------------
  // Tells the application that control did type (now, or queued when async).
  virtual void SendNotify(CControlUI* control, std::u16string_view type, uintptr_t wParam = 0,
                          intptr_t lParam = 0, bool async = false) = 0;
  // Controls name a virtual window; notifications then carry it.
  virtual void SetUsedVirtualWnd(bool used) = 0;
  // Tells screen readers what happened to control; a page shown or hidden
  // stands for the controls it holds.
  virtual void AnnounceAccessible(CControlUI* control, platform::EAccessibleEvent event) = 0;

  // ---- Skin ---------------------------------------------------------------
  // The window's fonts, images, named styles and colours.
  virtual CUIResources& Resources() = 0;
  virtual const CUIResources& Resources() const = 0;
};

}  // namespace SkinUI
