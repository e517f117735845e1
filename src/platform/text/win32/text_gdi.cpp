// GDI text renderer. Covers: fonts by face name and em height with bold,
// italic and underline (CreateFontIndirectW; GDI synthesises missing styles
// and draws the underline), metrics (GetTextMetricsW), advances
// (GetTextExtentPoint32W, GetTextExtentExPointW), and drawing a run with
// grey anti-aliasing: GDI writes no alpha, so the run is drawn white on black
// into a 32-bit DIB section and its brightness is the coverage blended into
// the premultiplied BGRA target. Does not cover: ClearType sub-pixel
// rendering, complex-script shaping beyond what TextOutW does itself.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/text/text_coverage.h"
#include "platform/text/text_renderer.h"
#include "platform/text/win32/text_gdi_face.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

// A DIB section of one run, selected into the font's DC while it lives.
class CRunBitmap {
 public:
  CRunBitmap(HDC dc, int width, int height) : m_dc(dc) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_bitmap) return;
    m_bits = static_cast<uint32_t*>(bits);
    std::memset(m_bits, 0, static_cast<size_t>(width) * height * 4);
    m_previous = SelectObject(dc, m_bitmap);
  }
  ~CRunBitmap() {
    if (!m_bitmap) return;
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
  }
  CRunBitmap(const CRunBitmap&) = delete;
  CRunBitmap& operator=(const CRunBitmap&) = delete;
  const uint32_t* Bits() const { return m_bits; }

 private:
  HDC m_dc;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_previous = nullptr;
  uint32_t* m_bits = nullptr;
};

class CGdiFont : public ITextFont {
 public:
  CGdiFont(HDC dc, HFONT font, HGDIOBJ previous);
  ~CGdiFont() override;

  const TTextMetrics& GetMetrics() const override { return m_metrics; }
  int MeasureRun(std::u16string_view text) const override;
  void MeasureExtents(std::u16string_view text, std::vector<int>* extents) const override;
  void DrawRun(const TTextTarget& target, int x, int y, std::u16string_view text,
               uint32_t rgb) const override;

 private:
  void MoveCoverage(const TTextTarget& target, const RECT& area, const uint32_t* bits, uint32_t rgb) const;

  // One DC per font, used from one thread at a time; the lock keeps a font
  // shared between threads from interleaving selections into it.
  mutable std::mutex m_lock;
  HDC m_dc;
  HFONT m_font;
  HGDIOBJ m_previousFont;
  TTextMetrics m_metrics;
  int m_overhang = 0;
};

CGdiFont::CGdiFont(HDC dc, HFONT font, HGDIOBJ previous) : m_dc(dc), m_font(font), m_previousFont(previous) {
  TEXTMETRICW tm{};
  GetTextMetricsW(m_dc, &tm);
  m_metrics.ascent = tm.tmAscent;
  m_metrics.descent = tm.tmDescent;
  m_metrics.height = tm.tmAscent + tm.tmDescent;
  m_metrics.externalLeading = tm.tmExternalLeading;
  m_metrics.aveCharWidth = tm.tmAveCharWidth;
  m_overhang = tm.tmOverhang;
  SetBkMode(m_dc, TRANSPARENT);
  SetTextColor(m_dc, RGB(255, 255, 255));
  SetTextAlign(m_dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
}

CGdiFont::~CGdiFont() {
  SelectObject(m_dc, m_previousFont);
  DeleteObject(m_font);
  DeleteDC(m_dc);
}

int CGdiFont::MeasureRun(std::u16string_view text) const {
  if (text.empty()) return 0;
  std::lock_guard<std::mutex> guard(m_lock);
  SIZE size{};
  if (!GetTextExtentPoint32W(m_dc, win32::WData(text), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

void CGdiFont::MeasureExtents(std::u16string_view text, std::vector<int>* extents) const {
  extents->assign(text.size(), 0);
  if (text.empty()) return;
  std::lock_guard<std::mutex> guard(m_lock);
  std::vector<INT> dx(text.size(), 0);
  SIZE size{};
  if (!GetTextExtentExPointW(m_dc, win32::WData(text), static_cast<int>(text.size()), 0, nullptr, dx.data(),
                             &size)) {
    return;
  }
  std::copy(dx.begin(), dx.end(), extents->begin());
  extents->back() = size.cx;  // the run's advance, as MeasureRun reports it
}

void CGdiFont::MoveCoverage(const TTextTarget& t, const RECT& area, const uint32_t* bits,
                            uint32_t rgb) const {
  const int width = area.right - area.left;
  for (int r = 0; r < area.bottom - area.top; ++r) {
    const uint32_t* src = bits + static_cast<size_t>(r) * width;
    uint32_t* row = t.pixels + static_cast<size_t>(area.top + r) * t.stride + area.left;
    for (int c = 0; c < width; ++c) {
      const uint32_t p = src[c];
      const uint32_t a = std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF});
      if (a != 0) row[c] = BlendCoverage(row[c], rgb, a);
    }
  }
}

void CGdiFont::DrawRun(const TTextTarget& t, int x, int y, std::u16string_view text, uint32_t rgb) const {
  if (text.empty() || !t.pixels) return;
  const int advance = MeasureRun(text);
  // Italic and bold glyphs may reach past their advance on either side.
  const int padX = m_metrics.height / 2 + m_overhang + 2;
  const int padY = m_metrics.height / 4 + 1;
  RECT area{std::max({x - padX, t.clipLeft, 0}), std::max({y - padY, t.clipTop, 0}),
            std::min({x + advance + padX, t.clipRight, t.width}),
            std::min({y + m_metrics.height + padY, t.clipBottom, t.height})};
  if (area.left >= area.right || area.top >= area.bottom) return;
  std::lock_guard<std::mutex> guard(m_lock);
  CRunBitmap bitmap(m_dc, area.right - area.left, area.bottom - area.top);
  if (!bitmap.Bits()) return;
  TextOutW(m_dc, x - area.left, y - area.top, win32::WData(text), static_cast<int>(text.size()));
  GdiFlush();
  MoveCoverage(t, area, bitmap.Bits(), rgb & 0xFFFFFF);
}

}  // namespace

std::shared_ptr<ITextFont> CreateTextFont(const TTextFontSpec& font) {
  LOGFONTW logFont = win32::MakeLogFont(font);
  HFONT handle = CreateFontIndirectW(&logFont);
  if (!handle) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) {
    DeleteObject(handle);
    return nullptr;
  }
  HGDIOBJ previous = SelectObject(dc, handle);
  return std::make_shared<CGdiFont>(dc, handle, previous);
}

}  // namespace platform
