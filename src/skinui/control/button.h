// A label with state images (normal, hot, pushed, focused, disabled) that
// raises "click" on a mouse release inside it and on space or carriage return.
#pragma once

#include "skinui/control/label.h"

namespace SkinUI {

// Button state bits.
enum : uint32_t {
  kButtonFocused = 0x01,
  kButtonDisabled = 0x04,
  kButtonHot = 0x08,
  kButtonPushed = 0x10,
  kButtonCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
 public:
  // Timer id of the hot fade animation.
  static constexpr uint32_t kFadeTimerId = 11;

  CButtonUI();

  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;
  // kControlFlagSetCursor when enabled; with keyboard handling on also
  // kControlFlagTabStop, and kControlFlagDefault for the page's main button.
  uint32_t GetControlFlags() const override;
  // Sends "click" when visible and enabled.
  bool Activate() override;
  // A push button named by its text, else its tooltip; "press" clicks it.
  bool GetAccessibleInfo(TUIAccessibleInfo& info) const override;
  // Disabling also clears every state bit.
  void SetEnabled(bool enabled = true) override;
  uint32_t GetButtonState() const { return m_uButtonState; }
  // The page's main button (attribute "default").
  bool IsDefault() const { return m_bDefault; }
  void SetDefault(bool isDefault) { m_bDefault = isDefault; }

  const std::u16string& GetNormalImage() const { return m_sNormalImage; }
  void SetNormalImage(std::u16string_view descriptor);
  void SetHotImage(std::u16string_view descriptor);
  void SetHotForeImage(std::u16string_view descriptor);
  void SetPushedImage(std::u16string_view descriptor);
  void SetPushedForeImage(std::u16string_view descriptor);
  void SetFocusedImage(std::u16string_view descriptor);
  void SetDisabledImage(std::u16string_view descriptor);
  void SetForeImage(std::u16string_view descriptor);
  void SetHotBkColor(uint32_t color) { m_dwHotBkColor = color; }
  void SetHotTextColor(uint32_t color) { m_dwHotTextColor = color; }
  void SetPushedTextColor(uint32_t color) { m_dwPushedTextColor = color; }
  void SetFocusedTextColor(uint32_t color) { m_dwFocusedTextColor = color; }
  // Fade step of the hot animation per 30 ms tick; 0 turns fading off.
  void SetFadeDelta(int delta) {
    m_uFadeDelta = static_cast<uint8_t>(delta < 0 ? 0 : delta > 255 ? 255 : delta);
  }

  void SetAttribute(std::u16string_view name, std::u16string_view value) override;

 protected:
  void PaintStatusImage(CUICanvas& dc) override;
  void PaintText(CUICanvas& dc) override;
  // Pushed on a press inside, clicked on the release inside that follows.
  void OnButtonDown(TUIEvent& event) override;
  void OnDblClick(TUIEvent& event) override;
  void OnMouseMove(TUIEvent& event) override;
  void OnButtonUp(TUIEvent& event) override;
  void OnContextMenu(TUIEvent& event) override;
  // Hot while the mouse is over it (fading when a fade step is set).
  void OnMouseEnter(TUIEvent& event) override;
  void OnMouseLeave(TUIEvent& event) override;
  // Space and carriage return click a keyboard-enabled button.
  void OnKeyDown(TUIEvent& event) override;
  // Unlike a label, a button shows its focus.
  void OnSetFocus(TUIEvent&) override { Invalidate(); }
  void OnKillFocus(TUIEvent&) override { Invalidate(); }
  void OnSetCursor(TUIEvent& event) override;
  void OnTimer(TUIEvent& event) override;

 private:
  // A button that takes no mouse input gives its mouse events to its parent
  // (without one, to the base control's handling); true when it did.
  bool PassedOnWithoutMouse(TUIEvent& event);
  void PressAt(TUIPoint point);
  void OnHotChange(bool hot);
  void FadeStep();
  // Draws descriptor; a descriptor the routine refuses is dropped.
  bool DrawStateImage(CUICanvas& dc, std::u16string& descriptor, std::u16string_view modify = {});
  void PaintFadingImages(CUICanvas& dc);

  uint32_t m_uButtonState = 0;
  bool m_bDefault = false;
  uint8_t m_uFadeAlpha = 255;
  uint8_t m_uFadeDelta = 0;
  uint32_t m_dwHotBkColor = 0;
  uint32_t m_dwHotTextColor = 0;
  uint32_t m_dwPushedTextColor = 0;
  uint32_t m_dwFocusedTextColor = 0;
  std::u16string m_sNormalImage;
  std::u16string m_sHotImage;
  std::u16string m_sHotForeImage;
  std::u16string m_sPushedImage;
  std::u16string m_sPushedForeImage;
  std::u16string m_sFocusedImage;
  std::u16string m_sDisabledImage;
  std::u16string m_sForeImage;
};

}  // namespace SkinUI
