// Line layout of plain and formatted text: the runs of every line with their
// fonts, colours and positions, measured before anything is drawn.
#pragma once

#include <string>
#include <vector>

#include "skinui/markup/html_tokens.h"
#include "skinui/render/render_host.h"

namespace SkinUI {

struct TTextRun {
  std::u16string text;
  const TUIFontInfo* font = nullptr;
  const TUIImageInfo* image = nullptr;  // inline image instead of text
  TUIRect imageSource;
  uint32_t color = 0;
  int x = 0;  // relative to the line start
  int width = 0;
  int height = 0;  // the run's box height (paragraph spacing included)
  int valign = 0;  // 0 bottom, 1 top, 2 centre
  bool selected = false;
};

struct TTextLine {
  std::vector<TTextRun> runs;
  int width = 0;
  int height = 0;
};

struct TTextLink {
  TUIRect rect;  // absolute, for the rectangle the layout was made for
  std::u16string target;
};

struct TTextLayout {
  std::vector<TTextLine> lines;
  std::vector<TTextLink> links;
  int width = 0;   // widest line
  int height = 0;  // sum of line heights
};

struct TTextLayoutInput {
  IUIRenderHost* host = nullptr;
  TUIRect rect;
  uint32_t color = 0;
  int fontIndex = -1;
  uint32_t style = 0;
  const TUIRect* previousLinks = nullptr;  // hover is decided on these
  int maxLinks = 0;
};

// Lays out tokens inside input.rect by the style bits.
TTextLayout LayoutText(const std::vector<THtmlToken>& tokens, const TTextLayoutInput& input);

}  // namespace SkinUI
