// Font file lookup through fontconfig for the FreeType text backend.
#pragma once

#include <string>

namespace platform {

struct TFontFile {
  std::string path;
  int index = 0;
};

// The face of family in the wanted style; a family that is not installed
// yields WenQuanYi Micro Hei, which also covers Chinese, or without it the
// font that best has the program's Chinese and Latin characters. False when
// fontconfig finds no font at all.
bool MatchFontFile(const std::string& family, bool bold, bool italic, TFontFile* file);

// The font used for characters the matched face lacks.
bool MatchFallbackFontFile(TFontFile* file);

}  // namespace platform
