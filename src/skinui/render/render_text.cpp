#include <algorithm>

#include "skinui/markup/html_tokens.h"
#include "skinui/render/html_layout.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

constexpr uint32_t kAlignBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

platform::TTextTarget TargetFor(CUICanvas& dc) {
  CUISurface& s = dc.GetSurface();
  const TUIRect& clip = dc.GetClip();
  platform::TTextTarget t;
  t.pixels = s.IsEmpty() ? nullptr : s.Row(0);
  t.width = s.GetWidth();
  t.height = s.GetHeight();
  t.stride = s.GetWidth();
  t.clipLeft = clip.left;
  t.clipTop = clip.top;
  t.clipRight = clip.right;
  t.clipBottom = clip.bottom;
  return t;
}

int RunTop(const TTextRun& run, int lineTop, int lineHeight) {
  if (run.valign == 1) return lineTop;
  if (run.valign == 2) return lineTop + (lineHeight - run.height) / 2;
  return lineTop + lineHeight - run.height;
}

void DrawRun(CUICanvas& dc, const platform::TTextTarget& target, IUIRenderHost* host, const TTextRun& run,
             int x, int lineTop, int lineHeight) {
  int top = RunTop(run, lineTop, lineHeight);
  if (run.selected) {
    uint32_t bk = 0xFF000000u | (host->GetSelectedBkColor() & 0xFFFFFF);
    dc.FillRect({x, lineTop, x + run.width, lineTop + lineHeight}, bk);
  }
  if (run.image) {
    TDrawImageParams params;
    params.dest = {x, top, x + run.width, top + run.height};
    params.source = run.imageSource;
    CUIRenderEngine::DrawImage(dc, run.image->bitmap, dc.GetClip(), params, run.image->alphaChannel);
  } else if (run.font && run.font->hFont && target.pixels) {
    // Paragraph spacing and leading sit above the glyph cell.
    int cellTop = top + run.height - run.font->tm.height;
    run.font->hFont->DrawRun(target, x, cellTop, run.text, run.color & 0xFFFFFF);
  }
}

void DrawLayout(CUICanvas& dc, IUIRenderHost* host, const TTextLayout& layout, const TUIRect& rect,
                uint32_t style) {
  platform::TTextTarget target = TargetFor(dc);
  bool multiLine = !(style & DT_SINGLELINE);
  int y = rect.top;
  for (const TTextLine& line : layout.lines) {
    int x = rect.left;
    if (multiLine && (style & DT_CENTER))
      x += (rect.Width() - line.width) / 2;
    else if (multiLine && (style & DT_RIGHT))
      x += rect.Width() - line.width;
    for (const TTextRun& run : line.runs) DrawRun(dc, target, host, run, x + run.x, y, line.height);
    y += line.height;
    if (y >= dc.GetClip().bottom) break;
  }
}

// The block's extent as drawn without breaks or cuts: single-line text in a
// rectangle wide enough for any line.
TTextLayout MeasureBlock(const std::vector<THtmlToken>& tokens, const TTextLayoutInput& in) {
  TTextLayoutInput measure = in;
  measure.style |= DT_CALCRECT;
  if (in.style & DT_SINGLELINE)
    measure.rect = {in.rect.left, in.rect.top, in.rect.left + 9999, in.rect.top + 100};
  return LayoutText(tokens, measure);
}

// Where the measured block goes when alignment bits are set.
TUIPoint AlignedOffset(const TTextLayout& m, const TTextLayoutInput& in) {
  const TUIRect& r = in.rect;
  bool single = (in.style & DT_SINGLELINE) != 0;
  TUIPoint offset;
  if (in.style & DT_VCENTER)
    offset.y = (r.Height() - m.height) / 2;
  else if (in.style & DT_BOTTOM)
    offset.y = r.Height() - m.height;
  if (single && (in.style & DT_CENTER))
    offset.x = (r.Width() - m.width) / 2;
  else if (single && (in.style & DT_RIGHT))
    offset.x = r.Width() - m.width;
  // A cut line fills the rectangle: moving it would push the "..." out of view.
  if (in.style & DT_END_ELLIPSIS) offset.x = std::max(offset.x, 0);
  return offset;
}

// Lays out and draws (or only measures) tokens; returns the layout's links,
// moved to where they were drawn.
std::vector<TTextLink> RenderTokens(CUICanvas& dc, const std::vector<THtmlToken>& tokens,
                                    const TTextLayoutInput& in, TUIRect& rect) {
  if (in.style & DT_CALCRECT) {
    TTextLayout layout = LayoutText(tokens, in);
    rect.right = rect.left + layout.width;
    rect.bottom = rect.top + layout.height;
    return layout.links;
  }
  TTextLayoutInput drawn = in;
  TUIPoint offset;
  const bool single = (in.style & DT_SINGLELINE) != 0;
  if (single || (in.style & kAlignBits)) {
    const TTextLayout block = MeasureBlock(tokens, in);
    // A line wider than its rectangle keeps its start in view and ends in an
    // ellipsis, whatever its alignment: centred, it would lose both ends.
    if (single && block.width > rect.Width()) drawn.style |= DT_END_ELLIPSIS;
    if (in.style & kAlignBits) offset = AlignedOffset(block, drawn);
  }
  TTextLayout layout = LayoutText(tokens, drawn);
  TUIRect placed = rect;
  placed.Offset(offset.x, offset.y);
  CClipGuard clip(dc, rect);
  DrawLayout(dc, in.host, layout, placed, in.style);
  for (TTextLink& link : layout.links) link.rect.Offset(offset.x, offset.y);
  return layout.links;
}

}  // namespace

void CUIRenderEngine::DrawText(CUICanvas& dc, IUIRenderHost* host, TUIRect& rect, std::u16string_view text,
                               uint32_t color, int fontIndex, uint32_t style) {
  if (text.empty() || !host) return;
  TTextLayoutInput in{host, rect, color, fontIndex, style | DT_NOPREFIX, nullptr, 0};
  (void)RenderTokens(dc, TokenizeHtml(text, true), in, rect);
}

void CUIRenderEngine::DrawHtmlText(CUICanvas& dc, IUIRenderHost* host, TUIRect& rect,
                                   std::u16string_view text, uint32_t color, TUIRect* links,
                                   std::u16string* linkTexts, int* linkCount, int fontIndex, uint32_t style) {
  int slots = links && linkCount ? *linkCount : 0;
  if (linkCount) *linkCount = 0;
  if (text.empty() || !host) return;
  TTextLayoutInput in{host, rect, color, fontIndex, style, links, slots};
  std::vector<TTextLink> found = RenderTokens(dc, TokenizeHtml(text, false), in, rect);
  for (size_t i = 0; i < found.size() && static_cast<int>(i) < slots; ++i) {
    links[i] = found[i].rect;
    if (linkTexts) linkTexts[i] = found[i].target;
  }
  if (linkCount) *linkCount = static_cast<int>(std::min<size_t>(found.size(), slots));
}

}  // namespace SkinUI
