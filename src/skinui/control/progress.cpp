#include "skinui/control/progress.h"

#include <algorithm>

#include "common/text.h"
#include "skinui/control/attribute_values.h"
#include "skinui/control/ui_scale.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

std::u16string Quad(const TUIRect& r) {
  return ToU16(r.left) + u"," + ToU16(r.top) + u"," + ToU16(r.right) + u"," + ToU16(r.bottom);
}

}  // namespace

CProgressUI::CProgressUI() {
  SetTextStyle(DT_CENTER | DT_SINGLELINE);
  SetFixedHeight(12);
}

std::u16string_view CProgressUI::GetClass() const { return u"Progress"; }

void* CProgressUI::GetInterface(std::u16string_view name) {
  if (name == u"Progress") return this;
  return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) { SetAndInvalidate(m_bHorizontal, horizontal); }
void CProgressUI::SetStretchForeImage(bool stretch) { SetAndInvalidate(m_bStretchForeImage, stretch); }
void CProgressUI::SetMinValue(int min) { SetAndInvalidate(m_nMin, min); }
void CProgressUI::SetMaxValue(int max) { SetAndInvalidate(m_nMax, max); }
void CProgressUI::SetValue(int value) {
  const int percent = GetPercent();
  SetAndInvalidate(m_nValue, value);
  if (GetManager() && GetPercent() != percent) {
    GetManager()->AnnounceAccessible(this, platform::EAccessibleEvent::kValueChange);
  }
}

int CProgressUI::GetPercent() const {
  if (m_nMin >= m_nMax) return 0;
  const int64_t part = std::clamp(m_nValue, m_nMin, m_nMax) - int64_t{m_nMin};
  return static_cast<int>(part * 100 / (int64_t{m_nMax} - m_nMin));
}

bool CProgressUI::GetAccessibleInfo(TUIAccessibleInfo& info) const {
  info.role = platform::EAccessibleRole::kProgressBar;
  info.name = GetPlainText();
  if (info.name.empty()) info.name = GetToolTip();
  info.value = ToU16(GetPercent()) + u"%";
  return true;
}
void CProgressUI::SetForeImage(std::u16string_view descriptor) { SetAndInvalidate(m_sForeImage, descriptor); }

void CProgressUI::PaintStatusImage(CUICanvas& dc) {
  if (m_nMin >= m_nMax) m_nMax = m_nMin + 1;
  m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
  // 64-bit: value x width overflows 32 bits for large ranges.
  long long range = static_cast<long long>(m_nMax) - m_nMin;
  int w = GetWidth(), h = GetHeight(), top = 0, width = w;
  if (m_bHorizontal) {
    width = static_cast<int>((static_cast<long long>(m_nValue) - m_nMin) * w / range);
  } else {
    top = static_cast<int>(h * (static_cast<long long>(m_nMax) - m_nValue) / range);
  }
  if (m_sForeImage.empty()) return;
  // The descriptor's dest is in 96-DPI units and scaled again when drawn.
  int scale = GetHost() ? GetHost()->GetDPIScale() : 100;
  auto u = [scale](int v) { return UnscaleSize(v, scale); };
  TUIRect dest{u(0), u(top), u(width) + u(0), u(h - top) + u(top)};
  m_sForeImageModify = u"dest='" + Quad(dest) + u"'";
  if (!m_bStretchForeImage) m_sForeImageModify += u" source='" + Quad(dest) + u"'";
  if (!DrawImage(dc, m_sForeImage, m_sForeImageModify)) m_sForeImage.clear();
}

void CProgressUI::SetAttribute(std::u16string_view name, std::u16string_view value) {
  if (name == u"foreimage")
    SetForeImage(value);
  else if (name == u"hor")
    SetHorizontal(ParseBoolValue(value));
  else if (name == u"min")
    SetMinValue(ParseIntValue(value));
  else if (name == u"max")
    SetMaxValue(ParseIntValue(value));
  else if (name == u"value")
    SetValue(ParseIntValue(value));
  else if (name == u"isstretchfore")
    SetStretchForeImage(ParseBoolValue(value));
  else
    CLabelUI::SetAttribute(name, value);
}

}  // namespace SkinUI
