// fontconfig matching of face names to font files. Covers: family, weight and
// slant matching, the CJK fallback family for faces that are not installed
// (such as "微软雅黑") and for missing glyphs, and without that family the
// best font that has every character of the program's texts (Chinese and
// Latin: some Chinese fonts have no Latin glyphs). Does not cover: font
// substitution tables of Windows.
#include "platform/text/posix/text_font_match.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <strings.h>

namespace platform {
namespace {

constexpr char kFallbackFamily[] = "WenQuanYi Micro Hei";
// Characters of the program's texts: Chinese labels, version numbers and
// percentages.
constexpr char32_t kCoverageSample[] = U"版本号正在检测更新下载升级失败 0123456789.%~ABCXYZabcxyz";

std::mutex g_fontconfigLock;

bool HasFamily(FcPattern* pattern, const std::string& family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0) return true;
  }
  return false;
}

FcCharSet* SampleCharSet() {
  FcCharSet* sample = FcCharSetCreate();
  for (const char32_t* c = kCoverageSample; *c; ++c) FcCharSetAddChar(sample, *c);
  return sample;
}

bool CoversSample(FcPattern* match, FcCharSet* sample) {
  FcCharSet* have = nullptr;
  return FcPatternGetCharSet(match, FC_CHARSET, 0, &have) == FcResultMatch && FcCharSetIsSubset(sample, have);
}

enum class EMatch { kAny, kExactFamily, kCoversSample };

FcPattern* MakePattern(const std::string& family, bool bold, bool italic, FcCharSet* coverage) {
  FcPattern* pattern = FcPatternCreate();
  if (!family.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (coverage) {
    FcPatternAddCharSet(pattern, FC_CHARSET, coverage);
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

// Matches family (none when empty); kExactFamily fails unless the result
// carries that family, kCoversSample unless it has every sample character.
bool Match(const std::string& family, bool bold, bool italic, EMatch rule, TFontFile* file) {
  std::lock_guard<std::mutex> guard(g_fontconfigLock);
  if (!FcInit()) return false;
  FcCharSet* sample = SampleCharSet();
  FcPattern* pattern = MakePattern(family, bold, italic, rule == EMatch::kCoversSample ? sample : nullptr);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  FcChar8* path = nullptr;
  bool ok = match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
            (rule != EMatch::kExactFamily || HasFamily(match, family)) &&
            (rule != EMatch::kCoversSample || CoversSample(match, sample));
  FcCharSetDestroy(sample);
  if (ok) {
    file->path = reinterpret_cast<const char*>(path);
    file->index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &file->index);
  }
  if (match) FcPatternDestroy(match);
  return ok;
}

}  // namespace

bool MatchFontFile(const std::string& family, bool bold, bool italic, TFontFile* file) {
  if (!family.empty() && Match(family, bold, italic, EMatch::kExactFamily, file)) return true;
  if (Match(kFallbackFamily, bold, italic, EMatch::kExactFamily, file)) return true;
  if (Match({}, bold, italic, EMatch::kCoversSample, file)) return true;
  return Match(family.empty() ? kFallbackFamily : family, bold, italic, EMatch::kAny, file);
}

bool MatchFallbackFontFile(TFontFile* file) {
  return Match(kFallbackFamily, false, false, EMatch::kExactFamily, file) ||
         Match({}, false, false, EMatch::kCoversSample, file);
}

}  // namespace platform
