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
  if (IsFaceInstalled(font.face)) {
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(logFont.lfFaceName, W(font.face), LF_FACESIZE);
  } else {
    logFont.lfCharSet = GB2312_CHARSET;
  }
  return logFont;
}

}  // namespace platform::win32
