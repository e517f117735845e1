// GDI face lookup. Covers: whether a family is installed
// (EnumFontFamiliesExW), the face that stands in for a missing one (the
// first family with Chinese glyphs that has every character of the
// program's own texts, Latin letters and digits included), and the LOGFONT
// of a request. Does not cover: font linking or per-character fallback,
// which GDI does on its own.
#include "platform/text/win32/text_gdi_face.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/system/win32/wide.h"

namespace platform::win32 {
namespace {

// Characters of the program's texts: Chinese labels, version numbers and
// percentages. Some faces with Chinese glyphs have no Latin ones at all.
constexpr wchar_t kCoverageSample[] = L"版本号正在检测更新下载升级失败 0123456789.%~ABCXYZabcxyz";

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one family is enough
}

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
  // '@' names are the vertical forms of the same families.
  if (font->lfFaceName[0] != L'@')
    reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
  return 1;
}

bool CoversSample(HDC dc, const std::wstring& face) {
  LOGFONTW query{};
  query.lfHeight = -16;
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&query);
  if (!font) return false;
  HGDIOBJ previous = SelectObject(dc, font);
  constexpr int kCount = ARRAYSIZE(kCoverageSample) - 1;
  WORD glyphs[kCount] = {};
  const bool covered =
      GetGlyphIndicesW(dc, kCoverageSample, kCount, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == kCount &&
      std::find(glyphs, glyphs + kCount, WORD{0xFFFF}) == glyphs + kCount;
  SelectObject(dc, previous);
  DeleteObject(font);
  return covered;
}

std::u16string FindCoveringFace() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return {};
  LOGFONTW query{};
  query.lfCharSet = GB2312_CHARSET;
  std::vector<std::wstring> faces;
  EnumFontFamiliesExW(dc, &query, CollectFamily, reinterpret_cast<LPARAM>(&faces), 0);
  std::u16string chosen;
  for (const std::wstring& face : faces) {
    if (CoversSample(dc, face)) {
      chosen = U(face.c_str());
      break;
    }
  }
  DeleteDC(dc);
  return chosen;
}

}  // namespace

const std::u16string& CoveringFace() {
  static const std::u16string face = FindCoveringFace();  // the installed fonts do not change under us
  return face;
}

bool IsFaceInstalled(const std::u16string& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, W(face), LF_FACESIZE);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  bool found = false;
  EnumFontFamiliesExW(dc, &query, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  DeleteDC(dc);
  return found;
}

LOGFONTW MakeLogFont(const TTextFontSpec& font) {
  LOGFONTW logFont{};
  logFont.lfHeight = -std::max(font.height, 1);
  logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = font.italic ? TRUE : FALSE;
  logFont.lfUnderline = font.underline ? TRUE : FALSE;
  logFont.lfOutPrecision = OUT_TT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = ANTIALIASED_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::u16string& face = IsFaceInstalled(font.face) ? font.face : CoveringFace();
  if (!face.empty()) {
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(logFont.lfFaceName, W(face), LF_FACESIZE);
  } else {
    logFont.lfCharSet = GB2312_CHARSET;  // nothing covers all: let the font mapper pick a Chinese face
  }
  return logFont;
}

}  // namespace platform::win32
