// FreeType text renderer. Covers: fonts by face name and pixel height with
// bold, italic (synthesised when the file lacks them) and underline; integer
// advances; anti-aliased grey glyphs blended into premultiplied BGRA; a
// CJK fallback face for characters the matched face lacks. Does not cover:
// kerning, shaping of complex scripts, ClearType sub-pixel rendering.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "common/text.h"
#include "platform/text/posix/text_font_match.h"
#include "platform/text/text_coverage.h"
#include "platform/text/text_renderer.h"

namespace platform {
namespace {

// FreeType objects are not thread-safe; fonts are used from the UI thread,
// the lock only protects creation and the shared library object.
std::mutex g_freetypeLock;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

struct TGlyph {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<uint8_t> coverage;
};

class CFreeTypeFont : public ITextFont {
 public:
  CFreeTypeFont(FT_Face face, FT_Face fallback, const TTextFontSpec& font, bool emboldenFace, bool slantFace);
  ~CFreeTypeFont() override;

  const TTextMetrics& GetMetrics() const override { return m_metrics; }
  int MeasureRun(std::u16string_view text) const override;
  void MeasureExtents(std::u16string_view text, std::vector<int>* extents) const override;
  void DrawRun(const TTextTarget& target, int x, int y, std::u16string_view text,
               uint32_t rgb) const override;

 private:
  const TGlyph& Glyph(char32_t code) const;
  TGlyph Render(FT_Face face, FT_UInt index, bool embolden, bool slant) const;
  void DrawGlyph(const TTextTarget& target, int x, int y, const TGlyph& glyph, uint32_t rgb) const;
  void DrawUnderline(const TTextTarget& target, int x, int y, int width, uint32_t rgb) const;

  FT_Face m_face;
  FT_Face m_fallback;
  TTextFontSpec m_font;
  bool m_embolden;
  bool m_slant;
  TTextMetrics m_metrics;
  int m_underlineOffset = 0;
  int m_underlineThickness = 1;
  mutable std::unordered_map<char32_t, TGlyph> m_glyphs;
};

// Code point of text at i, with the number of units it takes.
char32_t CodeAt(std::u16string_view text, size_t i, size_t* units) {
  char16_t c = text[i];
  *units = 1;
  if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
    *units = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  return c;
}

int Ceil26(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

FT_Face OpenFace(const TFontFile& file, int height) {
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), file.path.c_str(), file.index, &face) != 0) return nullptr;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(height, 1)));
  return face;
}

CFreeTypeFont::CFreeTypeFont(FT_Face face, FT_Face fallback, const TTextFontSpec& font, bool emboldenFace,
                             bool slantFace)
    : m_face(face), m_fallback(fallback), m_font(font), m_embolden(emboldenFace), m_slant(slantFace) {
  const FT_Size_Metrics& sm = face->size->metrics;
  m_metrics.ascent = Ceil26(sm.ascender);
  m_metrics.descent = Ceil26(-sm.descender);
  m_metrics.height = m_metrics.ascent + m_metrics.descent;
  m_metrics.externalLeading = std::max(0, Ceil26(sm.height) - m_metrics.height);
  m_metrics.aveCharWidth = Glyph(U'x').advance;
  if (FT_IS_SCALABLE(face)) {
    m_underlineOffset = static_cast<int>(-FT_MulFix(face->underline_position, sm.y_scale) / 64);
    m_underlineThickness =
        std::max(1, static_cast<int>(FT_MulFix(face->underline_thickness, sm.y_scale) / 64));
  }
  m_underlineOffset = std::max(m_underlineOffset, 1);
}

CFreeTypeFont::~CFreeTypeFont() {
  std::lock_guard<std::mutex> guard(g_freetypeLock);
  FT_Done_Face(m_face);
  if (m_fallback) FT_Done_Face(m_fallback);
}

TGlyph CFreeTypeFont::Render(FT_Face face, FT_UInt index, bool embolden, bool slant) const {
  TGlyph glyph;
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return glyph;
  FT_GlyphSlot slot = face->glyph;
  int extra = 0;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (embolden) {
      FT_Pos strength = std::max<FT_Pos>(64, FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24);
      FT_Outline_EmboldenXY(&slot->outline, strength, 0);
      extra = static_cast<int>(strength >> 6);
    }
    if (slant) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bm = slot->bitmap;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6) + extra;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bm.width);
  glyph.rows = static_cast<int>(bm.rows);
  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
  for (int r = 0; r < glyph.rows; ++r) {
    const uint8_t* src = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
    std::copy_n(src, glyph.width, glyph.coverage.data() + static_cast<size_t>(r) * glyph.width);
  }
  return glyph;
}

const TGlyph& CFreeTypeFont::Glyph(char32_t code) const {
  auto it = m_glyphs.find(code);
  if (it != m_glyphs.end()) return it->second;
  FT_UInt index = FT_Get_Char_Index(m_face, code);
  TGlyph glyph;
  if (index == 0 && m_fallback && FT_Get_Char_Index(m_fallback, code) != 0) {
    glyph = Render(m_fallback, FT_Get_Char_Index(m_fallback, code), m_font.bold, m_font.italic);
  } else {
    glyph = Render(m_face, index, m_embolden, m_slant);
  }
  return m_glyphs.emplace(code, std::move(glyph)).first->second;
}

void CFreeTypeFont::MeasureExtents(std::u16string_view text, std::vector<int>* extents) const {
  extents->assign(text.size(), 0);
  int pen = 0;
  for (size_t i = 0; i < text.size();) {
    size_t units = 1;
    pen += Glyph(CodeAt(text, i, &units)).advance;
    for (size_t k = 0; k < units; ++k) (*extents)[i + k] = pen;
    i += units;
  }
}

int CFreeTypeFont::MeasureRun(std::u16string_view text) const {
  std::vector<int> extents;
  MeasureExtents(text, &extents);
  return extents.empty() ? 0 : extents.back();
}

void CFreeTypeFont::DrawGlyph(const TTextTarget& t, int x, int y, const TGlyph& g, uint32_t rgb) const {
  int x0 = x + g.left, y0 = y + m_metrics.ascent - g.top;
  for (int r = std::max(0, t.clipTop - y0); r < g.rows && y0 + r < t.clipBottom; ++r) {
    uint32_t* row = t.pixels + static_cast<size_t>(y0 + r) * t.stride;
    const uint8_t* cov = g.coverage.data() + static_cast<size_t>(r) * g.width;
    for (int c = std::max(0, t.clipLeft - x0); c < g.width && x0 + c < t.clipRight; ++c) {
      uint32_t a = cov[c];
      if (a == 0) continue;
      row[x0 + c] = BlendCoverage(row[x0 + c], rgb, a);
    }
  }
}

void CFreeTypeFont::DrawUnderline(const TTextTarget& t, int x, int y, int width, uint32_t rgb) const {
  int top = y + m_metrics.ascent + m_underlineOffset;
  for (int yy = std::max(top, t.clipTop); yy < std::min(top + m_underlineThickness, t.clipBottom); ++yy) {
    for (int xx = std::max(x, t.clipLeft); xx < std::min(x + width, t.clipRight); ++xx) {
      t.pixels[static_cast<size_t>(yy) * t.stride + xx] = 0xFF000000u | (rgb & 0xFFFFFF);
    }
  }
}

void CFreeTypeFont::DrawRun(const TTextTarget& target, int x, int y, std::u16string_view text,
                            uint32_t rgb) const {
  int pen = x;
  for (size_t i = 0; i < text.size();) {
    size_t units = 1;
    const TGlyph& glyph = Glyph(CodeAt(text, i, &units));
    DrawGlyph(target, pen, y, glyph, rgb);
    pen += glyph.advance;
    i += units;
  }
  if (m_font.underline) DrawUnderline(target, x, y, pen - x, rgb);
}

}  // namespace

std::shared_ptr<ITextFont> CreateTextFont(const TTextFontSpec& font) {
  TFontFile file, fallbackFile;
  if (!MatchFontFile(Utf16ToUtf8(font.face), font.bold, font.italic, &file)) return nullptr;
  std::lock_guard<std::mutex> guard(g_freetypeLock);
  if (!Library()) return nullptr;
  FT_Face face = OpenFace(file, font.height);
  if (!face) return nullptr;
  FT_Face fallback = nullptr;
  if (MatchFallbackFontFile(&fallbackFile) && fallbackFile.path != file.path) {
    fallback = OpenFace(fallbackFile, font.height);
  }
  // The face's own style flags tell whether bold and italic must be made up;
  // fontconfig's report already counts its synthetic styles.
  bool isBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  bool isItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  return std::make_shared<CFreeTypeFont>(face, fallback, font, font.bold && !isBold,
                                         font.italic && !isItalic);
}

}  // namespace platform
