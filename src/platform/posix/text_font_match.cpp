// fontconfig matching of face names to font files. Covers: family, weight and
// slant matching, the CJK fallback family for faces that are not installed
// (such as "微软雅黑") and for missing glyphs. Does not cover: charset or
// language based selection, font substitution tables of Windows.
#include "platform/posix/text_font_match.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <strings.h>

namespace platform {
namespace {

constexpr char kFallbackFamily[] = "WenQuanYi Micro Hei";

std::mutex g_fontconfigLock;

bool HasFamily(FcPattern* pattern, const std::string& family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0) return true;
  }
  return false;
}

// Matches family; with exact set, fails unless the result carries that family.
bool Match(const std::string& family, bool bold, bool italic, bool exact, TFontFile* file) {
  std::lock_guard<std::mutex> guard(g_fontconfigLock);
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  int index = 0;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
            (!exact || HasFamily(match, family));
  if (ok) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    file->path = reinterpret_cast<const char*>(path);
    file->index = index;
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

bool MatchFontFile(const std::string& family, bool bold, bool italic, TFontFile* file) {
  if (!family.empty() && Match(family, bold, italic, true, file)) return true;
  if (Match(kFallbackFamily, bold, italic, true, file)) return true;
  return Match(family.empty() ? kFallbackFamily : family, bold, italic, false, file);
}

bool MatchFallbackFontFile(TFontFile* file) {
  return Match(kFallbackFamily, false, false, true, file);
}

}  // namespace platform
