// Static text, plain or in the html-like markup, with its own font, colours,
// style bits and text padding. A label without fixed size sizes itself to its
// text.
#pragma once

#include "skinui/control/control.h"

namespace SkinUI {

// Text style bit of a label: shorten a path in the middle ("...").
constexpr uint32_t kTextPathEllipsis = 0x4000;

class CLabelUI : public CControlUI {
 public:
  CLabelUI();

  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

  // 0 means the manager's default text colour (disabled colour), copied into
  // the field at the first paint.
  uint32_t GetTextColor() const { return m_dwTextColor; }
  void SetTextColor(uint32_t color);
  uint32_t GetDisabledTextColor() const { return m_dwDisabledTextColor; }
  void SetDisabledTextColor(uint32_t color);
  // Font id of the manager; -1 for its default font.
  int GetFont() const { return m_iFont; }
  void SetFont(int index);
  // DT_* bits; 0x24 (vertical centre, single line) by default.
  uint32_t GetTextStyle() const { return m_uTextStyle; }
  void SetTextStyle(uint32_t style);
  // Text padding in 96-DPI units; read scaled.
  TUIRect GetTextPadding() const;
  void SetTextPadding(const TUIRect& padding);
  bool IsShowHtml() const { return m_bShowHtml; }
  void SetShowHtml(bool show = true);
  // The text as read aloud: without the markup of an html label.
  std::u16string GetPlainText() const;
  // Static text named by its plain text.
  bool GetAccessibleInfo(TUIAccessibleInfo& info) const override;

  // The fixed size; a missing part comes from the measured text (see .cpp).
  TUISize EstimateSize(TUISize available) override;
  void SetAttribute(std::u16string_view name, std::u16string_view value) override;

 protected:
  void PaintText(CUICanvas& dc) override;
  // A label shows no focus: the focus changes repaint nothing.
  void OnSetFocus(TUIEvent&) override {}
  void OnKillFocus(TUIEvent&) override {}
  // Takes the manager's default colours for unset text colours.
  void ResolveTextColors();
  // Draws text in rc with color and style, html or plain as the label says.
  void DrawLabelText(CUICanvas& dc, TUIRect rc, uint32_t color, uint32_t style);
  // The extent of the text laid out in rc with the measuring style.
  TUIRect MeasureText(TUIRect rc);

 private:
  bool ApplyEffectAttribute(std::u16string_view name, std::u16string_view value);
  void PaintEffectText(CUICanvas& dc, const TUIRect& rc, uint32_t color, uint32_t style);

  uint32_t m_dwTextColor = 0;
  uint32_t m_dwDisabledTextColor = 0;
  int m_iFont = -1;
  uint32_t m_uTextStyle;
  TUIRect m_rcTextPadding;
  bool m_bShowHtml = false;

  // Effect mode (shadowed and stroked text); off unless enabledeffect.
  struct TEffect {
    bool enabled = false;
    bool shadow = false;
    bool stroke = false;
    int hAlign = 0;  // 0 near, 1 centre, 2 far
    int vAlign = 1;
    uint32_t textColor1 = 0;
    uint32_t shadowColorA = 0;
    uint32_t shadowColorB = 0;
    uint32_t strokeColor = 0;
    int renderingHint = 0;
    int transShadow = 0;
    int transText = 0;
    int transShadow1 = 0;
    int transText1 = 0;
    int transStroke = 0;
    int gradientAngle = 0;
    int gradientLength = 0;
    TUISize shadowOffset;
  } m_effect;
};

}  // namespace SkinUI
