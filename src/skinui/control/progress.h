// A label whose fore image is stretched (or cropped) to the share of the
// value between minimum and maximum; the empty track is the bkimage.
#pragma once

#include "skinui/control/label.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
 public:
  CProgressUI();

  std::u16string_view GetClass() const override;
  void* GetInterface(std::u16string_view name) override;

  // Setters repaint only when the value changes.
  bool IsHorizontal() const { return m_bHorizontal; }
  void SetHorizontal(bool horizontal = true);
  bool IsStretchForeImage() const { return m_bStretchForeImage; }
  void SetStretchForeImage(bool stretch = true);
  int GetMinValue() const { return m_nMin; }
  void SetMinValue(int min);
  int GetMaxValue() const { return m_nMax; }
  void SetMaxValue(int max);
  int GetValue() const { return m_nValue; }
  // Repaints, and tells screen readers when the whole percent changes.
  void SetValue(int value);
  // The value's place in the range, 0..100, rounded down.
  int GetPercent() const;
  // A progress bar whose value is the percent ("42%").
  bool GetAccessibleInfo(TUIAccessibleInfo& info) const override;
  const std::u16string& GetForeImage() const { return m_sForeImage; }
  void SetForeImage(std::u16string_view descriptor);

  void SetAttribute(std::u16string_view name, std::u16string_view value) override;

 protected:
  // Widens an empty range, clamps the value, and draws the fore image over
  // the value's share of the bar.
  void PaintStatusImage(CUICanvas& dc) override;

 private:
  bool m_bHorizontal = true;
  bool m_bStretchForeImage = true;
  int m_nMax = 100;
  int m_nMin = 0;
  int m_nValue = 0;
  std::u16string m_sForeImage;
  std::u16string m_sForeImageModify;
};

}  // namespace SkinUI
