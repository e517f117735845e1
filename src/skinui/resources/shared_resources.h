// The process-wide part of the windows' UI resources: shared fonts, default
// font, styles and default attribute lists under one lock, and the text
// fonts every window draws with.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>

#include "skinui/render/render_host.h"

namespace SkinUI {

struct TUISharedResources {
  // Guards the four shared tables below.
  std::mutex lock;
  std::map<int, std::unique_ptr<TUIFontInfo>> fonts;
  std::unique_ptr<TUIFontInfo> defaultFont;
  std::unordered_map<std::u16string, std::u16string> styles;
  std::unordered_map<std::u16string, std::u16string> defaultAttributes;

  // Text fonts already opened, by face, pixel height and style: opening one
  // (matching the face, loading the file) costs far more than a window's
  // whole first paint, and every window of the process asks for the same few.
  // Its own lock: fonts are opened while the shared tables are held.
  std::mutex textFontLock;
  std::map<std::tuple<std::u16string, int, bool, bool, bool>, std::weak_ptr<platform::ITextFont>> textFonts;
};

TUISharedResources& SharedResources();

// A font record for face at size (96-DPI units) scaled by dpiScale percent,
// its text font shared with every record of the same face, height and style;
// null when the text renderer has no font.
std::unique_ptr<TUIFontInfo> MakeSharedFontInfo(std::u16string_view face, int size, bool bold, bool underline,
                                                bool italic, int dpiScale);

// Face name limit of a logical font (the terminator takes the last place).
inline constexpr size_t kMaxFaceName = 31;

}  // namespace SkinUI
