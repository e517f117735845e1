#include "skinui/markup/html_tokens.h"

namespace SkinUI {
namespace {

bool IsLower(char16_t c) { return c >= u'a' && c <= u'z'; }
bool IsTagEnd(char16_t c) { return c == u'}' || c == u'>'; }
bool IsOpen(char16_t c) { return c == u'{' || c == u'<'; }

char16_t EscapeAt(std::u16string_view t, size_t i) {
  if (i + 2 >= t.size() || !IsTagEnd(t[i + 2])) return 0;
  std::u16string_view e = t.substr(i, 3);
  if (e == u"<{>") return u'{';
  if (e == u"<}>") return u'}';
  if (e == u"{<}") return u'<';
  if (e == u"{>}") return u'>';
  return 0;
}

std::u16string Trim(std::u16string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == u' ') ++a;
  while (b > a && s[b - 1] == u' ') --b;
  return std::u16string(s.substr(a, b - a));
}

size_t FindTagEnd(std::u16string_view t, size_t from) {
  for (size_t i = from; i < t.size(); ++i) {
    if (IsTagEnd(t[i])) return i;
  }
  return std::u16string_view::npos;
}

class CTokenizer {
 public:
  CTokenizer(std::u16string_view text, bool plain) : m_text(text), m_plain(plain) {}
  std::vector<THtmlToken> Run() {
    while (m_pos < m_text.size()) Step();
    FlushText();
    return std::move(m_tokens);
  }

 private:
  void Step() {
    char16_t c = m_text[m_pos];
    if (c == u'\n') {
      FlushText();
      m_tokens.push_back({THtmlToken::kLineFeed, u"", 0, false});
      ++m_pos;
    } else if (c == u'\r') {
      ++m_pos;
    } else if (!m_plain && IsOpen(c) && (TryEscape() || TryTag())) {
    } else {
      m_run.push_back(c);
      ++m_pos;
    }
  }
  bool TryEscape() {
    char16_t e = EscapeAt(m_text, m_pos);
    if (!e) return false;
    m_run.push_back(e);
    m_pos += 3;
    return true;
  }
  bool TryTag() {
    const std::u16string_view& t = m_text;
    size_t i = m_pos;
    bool closing = i + 1 < t.size() && t[i + 1] == u'/';
    size_t letter = closing ? i + 2 : i + 1;
    if (letter + 1 >= t.size() || !IsLower(t[letter])) return false;
    char16_t after = t[letter + 1];
    if (after != u' ' && !IsTagEnd(after)) return false;
    size_t end = FindTagEnd(t, letter + 1);
    if (end == std::u16string_view::npos) return false;
    FlushText();
    THtmlToken token{THtmlToken::kTag, Trim(t.substr(letter + 1, end - letter - 1)), t[letter], closing};
    m_pos = end + 1;
    if (token.tag == u'r' && !closing) return ReadRaw();
    m_tokens.push_back(std::move(token));
    return true;
  }
  // Everything up to "{/r}" (or "</r>") is text.
  bool ReadRaw() {
    size_t end = m_pos;
    while (end < m_text.size() && !(IsOpen(m_text[end]) && m_text.substr(end + 1, 2) == u"/r" &&
                                    end + 3 < m_text.size() && IsTagEnd(m_text[end + 3]))) {
      ++end;
    }
    m_run.append(m_text.substr(m_pos, end - m_pos));
    m_pos = end < m_text.size() ? end + 4 : end;
    return true;
  }
  void FlushText() {
    if (m_run.empty()) return;
    m_tokens.push_back({THtmlToken::kText, std::move(m_run), 0, false});
    m_run.clear();
  }

  std::u16string_view m_text;
  bool m_plain;
  size_t m_pos = 0;
  std::u16string m_run;
  std::vector<THtmlToken> m_tokens;
};

}  // namespace

std::vector<THtmlToken> TokenizeHtml(std::u16string_view text, bool plain) {
  return CTokenizer(text, plain).Run();
}

}  // namespace SkinUI
