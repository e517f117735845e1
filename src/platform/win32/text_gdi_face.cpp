// GDI face lookup. Covers: whether a family is installed
// (EnumFontFamiliesExW) and the LOGFONT of a request, with the character set
// that makes the font mapper fall back to a Chinese face. Does not cover:
// font linking or per-character fallback, which GDI does on its own.
#include "platform/win32/text_gdi_face.h"

#include <algorithm>

#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one family is enough
}

}  // namespace

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

LOGFONTW MakeLogFont(const TTextFontSpec& spec) {
  LOGFONTW font{};
  font.lfHeight = -std::max(spec.height, 1);
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = spec.italic ? TRUE : FALSE;
  font.lfUnderline = spec.underline ? TRUE : FALSE;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = ANTIALIASED_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  if (IsFaceInstalled(spec.face)) {
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, W(spec.face), LF_FACESIZE);
  } else {
    font.lfCharSet = GB2312_CHARSET;
  }
  return font;
}

}  // namespace platform::win32
