#include "skinui/render/html_layout.h"

#include <climits>
#include <cstdlib>

#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

long ParseNumber(std::u16string_view s, int base, size_t* used = nullptr) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  if (base == 16 && i < s.size() && s[i] == u'#') ++i;
  bool negative = i < s.size() && s[i] == u'-';
  if (negative || (i < s.size() && s[i] == u'+')) ++i;
  long long v = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    int d = c >= u'0' && c <= u'9'                 ? c - u'0'
            : base == 16 && c >= u'a' && c <= u'f' ? c - u'a' + 10
            : base == 16 && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                   : -1;
    if (d < 0) break;
    if (v < (1LL << 40)) v = v * base + d;
  }
  if (used) *used = i;
  // Read as a signed 32-bit number: larger values saturate.
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<long>(negative ? -v : v);
}

std::vector<std::u16string> Words(std::u16string_view s) {
  std::vector<std::u16string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == u' ') ++i;
    size_t start = i;
    while (i < s.size() && s[i] != u' ') ++i;
    if (i > start) words.emplace_back(s.substr(start, i - start));
  }
  return words;
}

// Pixel amounts of tags ({x}, {y}, {p}) stay within what a window can show, so
// that sums of them cannot overflow.
int PixelAmount(std::u16string_view s) {
  return static_cast<int>(std::clamp<long>(ParseNumber(s, 10), -32767, 32767));
}

// The value of key='value' inside s, or empty.
std::u16string PairValue(std::u16string_view s, std::u16string_view key) {
  size_t at = s.find(std::u16string(key) + u"='");
  if (at == std::u16string_view::npos) return {};
  size_t from = at + key.size() + 2, to = s.find(u'\'', from);
  return to == std::u16string_view::npos ? std::u16string() : std::u16string(s.substr(from, to - from));
}

class CTextLayouter {
 public:
  explicit CTextLayouter(const TTextLayoutInput& in) : m_in(in) {
    m_multiLine = !(in.style & DT_SINGLELINE);
    m_wordBreak = (in.style & DT_WORDBREAK) != 0;
    m_ellipsis = (in.style & DT_END_ELLIPSIS) != 0;
    m_fonts.push_back(in.host->GetFontInfo(in.fontIndex));
    m_colors.push_back(in.color);
    m_spacing.push_back(0);
    m_valign.push_back(0);
    m_out.lines.emplace_back();
  }

  TTextLayout Run(const std::vector<THtmlToken>& tokens) {
    for (const THtmlToken& t : tokens) {
      if (t.kind == THtmlToken::kText)
        AddText(t.text);
      else if (t.kind == THtmlToken::kLineFeed) {
        if (m_multiLine) NewLine();
      } else if (t.closing)
        CloseTag(t.tag);
      else
        OpenTag(t.tag, t.text);
    }
    m_finishing = true;
    FinishLine();
    return std::move(m_out);
  }

 private:
  TTextLine& Line() { return m_out.lines.back(); }
  int Width() const { return m_in.rect.Width(); }
  const TUIFontInfo* Font() const { return m_fonts.back(); }

  void FinishLine() {
    TTextLine& line = Line();
    // A break at the very end leaves an empty last line that takes no room.
    if (m_finishing && line.runs.empty() && m_out.lines.size() > 1 && m_lineMinHeight == 0) {
      m_out.lines.pop_back();
      return;
    }
    line.height = std::max(line.height, m_lineMinHeight);
    if (line.height == 0 && Font()) line.height = Font()->tm.height + Font()->tm.externalLeading;
    line.width = m_pen;
    m_out.width = std::max(m_out.width, line.width);
    m_out.height += line.height;
  }
  void NewLine() {
    FinishLine();
    m_out.lines.emplace_back();
    m_pen = 0;
    m_lineMinHeight = 0;
    m_cut = false;
  }

  void Place(std::u16string text, int width) {
    const TUIFontInfo* f = Font();
    TTextRun run;
    run.text = std::move(text);
    run.font = f;
    run.color = m_link >= 0 ? LinkColor() : m_colors.back();
    run.x = m_pen;
    run.width = width;
    run.height = m_spacing.back() + (f ? f->tm.height + f->tm.externalLeading : 0);
    run.valign = m_valign.back();
    run.selected = m_selected;
    Line().height = std::max(Line().height, run.height);
    Line().runs.push_back(std::move(run));
    m_pen += width;
  }

  int Measure(std::u16string_view text) const {
    return Font() && Font()->hFont ? Font()->hFont->MeasureRun(text) : 0;
  }

  void AddText(std::u16string_view text) {
    while (!text.empty() && !m_cut) {
      int width = Measure(text);
      if (m_pen + width <= Width() || (!m_multiLine && !m_ellipsis)) {
        Place(std::u16string(text), width);
        return;
      }
      if (m_ellipsis) {
        PlaceWithEllipsis(text);
        return;
      }
      size_t fit = BreakPoint(text);
      if (fit == 0) {
        NewLine();
        fit = BreakPoint(text);
        if (fit == 0) fit = 1;  // a character wider than the line still goes
      }
      std::u16string_view head = text.substr(0, fit);
      Place(std::u16string(head), Measure(head));
      text.remove_prefix(fit);
      if (m_wordBreak)
        while (!text.empty() && text[0] == u' ') text.remove_prefix(1);
      if (!text.empty()) NewLine();
    }
  }

  // How many characters of text go on this line (0: start a new line first).
  size_t BreakPoint(std::u16string_view text) const {
    if (!Font() || !Font()->hFont) return text.size();
    std::vector<int> extents;
    Font()->hFont->MeasureExtents(text, &extents);
    size_t fit = 0;
    while (fit < text.size() && m_pen + extents[fit] <= Width()) ++fit;
    if (!m_wordBreak || fit == text.size()) return fit;
    size_t blank = text.substr(0, fit + 1).find_last_of(u' ');
    if (blank != std::u16string_view::npos && blank > 0) return blank;
    return m_pen > 0 ? 0 : fit;
  }

  void PlaceWithEllipsis(std::u16string_view text) {
    const std::u16string dots = u"...";
    int room = Width() - m_pen - Measure(dots);
    std::vector<int> extents;
    if (Font() && Font()->hFont) Font()->hFont->MeasureExtents(text, &extents);
    size_t fit = 0;
    while (fit < extents.size() && extents[fit] <= room) ++fit;
    std::u16string cut(text.substr(0, fit));
    cut += dots;
    Place(cut, Measure(cut));
    m_cut = true;  // the rest of this line is dropped
  }

  uint32_t LinkColor() const {
    const TUIRect* prev = m_in.previousLinks;
    TUIPoint mouse = m_in.host->GetMousePos();
    if (prev && m_link < m_in.maxLinks && prev[m_link].Contains(mouse)) return m_in.host->GetLinkHoverColor();
    return m_in.host->GetLinkColor();
  }

  const TUIFontInfo* Variant(const TUIFontInfo* f, int bold, int underline, int italic) {
    if (!f) return f;
    bool b = bold < 0 ? f->bBold : bold, u = underline < 0 ? f->bUnderline : underline;
    bool i = italic < 0 ? f->bItalic : italic;
    if (b == f->bBold && u == f->bUnderline && i == f->bItalic) return f;
    return FontByProperties(f->sFontName, f->iSize, b, u, i, f);
  }
  const TUIFontInfo* FontByProperties(const std::u16string& face, int size, bool b, bool u, bool i,
                                      const TUIFontInfo* fallback) {
    int id = m_in.host->FindFont(face, size, b, u, i);
    if (id < 0) id = m_in.host->AddFont(face, size, b, u, i);
    return id < 0 ? fallback : m_in.host->GetFontInfo(id);
  }

  void OpenTag(char16_t tag, const std::u16string& arg);
  void CloseTag(char16_t tag);
  void OpenFontTag(const std::u16string& arg);
  void InlineImage(const std::u16string& arg);
  template <class T>
  void Pop(std::vector<T>& s) {
    if (s.size() > 1) s.pop_back();
  }

  const TTextLayoutInput& m_in;
  TTextLayout m_out;
  bool m_multiLine, m_wordBreak, m_ellipsis;
  std::vector<const TUIFontInfo*> m_fonts;
  std::vector<uint32_t> m_colors;
  std::vector<int> m_spacing;
  std::vector<int> m_valign;
  int m_pen = 0;
  int m_lineMinHeight = 0;
  int m_link = -1;
  TUIPoint m_linkStart;
  int m_linkLine = 0;
  bool m_selected = false;
  bool m_cut = false;
  bool m_finishing = false;
};

void CTextLayouter::OpenTag(char16_t tag, const std::u16string& arg) {
  switch (tag) {
    case u'a':
      if (static_cast<int>(m_out.links.size()) >= m_in.maxLinks) break;
      m_link = static_cast<int>(m_out.links.size());
      m_out.links.push_back({{}, arg});
      m_linkStart = {m_pen, 0};
      m_linkLine = static_cast<int>(m_out.lines.size()) - 1;
      m_fonts.push_back(Variant(Font(), -1, 1, -1));
      break;
    case u'b':
      m_fonts.push_back(Variant(Font(), 1, -1, -1));
      break;
    case u'u':
      m_fonts.push_back(Variant(Font(), -1, 1, -1));
      break;
    case u'i':
      if (arg.empty())
        m_fonts.push_back(Variant(Font(), -1, -1, 1));
      else
        InlineImage(arg);
      break;
    case u'f':
      OpenFontTag(arg);
      break;
    case u'c':
      m_colors.push_back(static_cast<uint32_t>(ParseNumber(arg, 16)));
      break;
    case u'n':
      if (m_multiLine) NewLine();
      break;
    case u'p':
      if (m_multiLine && m_pen > 0) NewLine();
      m_spacing.push_back(PixelAmount(arg));
      break;
    case u's':
      m_selected = !m_selected;
      break;
    case u'v':
      m_valign.push_back(arg == u"top" ? 1 : arg == u"center" ? 2 : 0);
      break;
    case u'x':
      m_pen += PixelAmount(arg);
      break;
    case u'y':
      m_lineMinHeight = PixelAmount(arg);
      break;
    default:
      break;
  }
}

void CTextLayouter::CloseTag(char16_t tag) {
  switch (tag) {
    case u'a':
      if (m_link < 0) break;
      {
        int top = 0;
        for (int i = 0; i < m_linkLine; ++i) top += m_out.lines[i].height;
        int bottom = m_out.height + Line().height;
        int left = m_linkLine == static_cast<int>(m_out.lines.size()) - 1 ? m_linkStart.x : 0;
        m_out.links[m_link].rect = {left, top, std::max(m_pen, left + 1), bottom};
      }
      m_link = -1;
      Pop(m_fonts);
      break;
    case u'b':
    case u'u':
    case u'f':
      Pop(m_fonts);
      break;
    case u'i': {
      const TUIFontInfo* closing = Font();
      Pop(m_fonts);
      if (closing && closing->bItalic && Font() && !Font()->bItalic) m_pen += Measure(u" ") / 2;
      break;
    }
    case u'c':
      Pop(m_colors);
      break;
    case u'p':
      Pop(m_spacing);
      if (m_multiLine) NewLine();
      break;
    case u's':
      m_selected = !m_selected;
      break;
    case u'v':
      Pop(m_valign);
      break;
    default:
      break;
  }
}

void CTextLayouter::OpenFontTag(const std::u16string& arg) {
  std::vector<std::u16string> words = Words(arg);
  if (words.size() == 1 && !words[0].empty() && words[0][0] >= u'0' && words[0][0] <= u'9') {
    m_fonts.push_back(m_in.host->GetFontInfo(static_cast<int>(ParseNumber(words[0], 10))));
    return;
  }
  if (words.empty()) {
    m_fonts.push_back(Font());
    return;
  }
  int size = words.size() > 1 ? PixelAmount(words[1]) : 10;
  if (size <= 0) size = 10;
  size = std::min(size, 512);
  bool b = false, u = false, i = false;
  for (size_t k = 2; k < words.size(); ++k) {
    if (words[k] == u"bold")
      b = true;
    else if (words[k] == u"underline")
      u = true;
    else if (words[k] == u"italic")
      i = true;
  }
  m_fonts.push_back(FontByProperties(words[0], size, b, u, i, Font()));
}

void CTextLayouter::InlineImage(const std::u16string& arg) {
  std::u16string name = PairValue(arg, u"file"), type = PairValue(arg, u"restype");
  std::vector<std::u16string> words = Words(arg);
  int frames = 1, frame = 0;
  if (name.empty() && !words.empty()) {
    name = words[0];
    if (words.size() > 1) frames = std::max(1, static_cast<int>(ParseNumber(words[1], 10)));
    if (words.size() > 2) frame = static_cast<int>(ParseNumber(words[2], 10));
  }
  if (frame < 0 || frame >= frames) frame = 0;
  const TUIImageInfo* image = m_in.host->GetImageEx(name, type, 0);
  if (!image) return;
  int width = image->nX / frames;
  if (m_multiLine && m_pen > 0 && m_pen + width > Width()) NewLine();
  TTextRun run;
  run.image = image;
  run.imageSource = {frame * width, 0, (frame + 1) * width, image->nY};
  run.x = m_pen;
  run.width = width;
  run.height = image->nY;
  run.valign = m_valign.back();
  Line().height = std::max(Line().height, run.height);
  Line().runs.push_back(run);
  m_pen += width;
}

}  // namespace

TTextLayout LayoutText(const std::vector<THtmlToken>& tokens, const TTextLayoutInput& input) {
  if (!input.host) return {};
  TTextLayout layout = CTextLayouter(input).Run(tokens);
  for (TTextLink& link : layout.links) link.rect.Offset(input.rect.left, input.rect.top);
  return layout;
}

}  // namespace SkinUI
