#include "skinui/core/markup.h"

#include <cstring>

#include "common/text.h"
#include "platform/codepage.h"
#include "skinui/core/markup_scan.h"

namespace SkinUI {
namespace {

// Code 0 ends the text, so it never counts as whitespace.
bool IsSpace(char16_t c) { return c != 0 && c <= 32; }

void SkipWhitespace(char16_t*& p) {
  while (IsSpace(*p)) ++p;
}

// Letters and digits as the wide character classification sees them. Beyond
// Latin-1 only the punctuation and symbol blocks are excluded, which keeps
// CJK names working the same on every platform.
struct TAsciiNameTable {
  bool name[128] = {};
  constexpr TAsciiNameTable() {
    for (int c = 0; c < 128; ++c) {
      name[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == ':' || c == '_';
    }
  }
};
constexpr TAsciiNameTable kAsciiNames;

bool IsWideNameChar(char16_t c) {
  if (c < 0xC0) return c == 0xAA || c == 0xB5 || c == 0xBA;
  if (c == 0xD7 || c == 0xF7) return false;
  if (c >= 0x2000 && c <= 0x2BFF) return false;  // punctuation, arrows, symbols
  if (c >= 0x3000 && c <= 0x303F) return false;  // CJK punctuation
  if (c >= 0xD800 && c <= 0xF8FF) return false;  // surrogates, private use
  if (c >= 0xFF00 && c <= 0xFF0F) return false;  // fullwidth punctuation
  return c != 0xFEFF && c != 0xFFFD;
}

inline bool IsNameChar(char16_t c) { return c < 0x80 ? kAsciiNames.name[c] : IsWideNameChar(c); }

void SkipIdentifier(char16_t*& p) {
  while (IsNameChar(*p)) ++p;
}

size_t Length(const char16_t* p) {
  size_t n = 0;
  while (p[n]) ++n;
  return n;
}

struct TEntity {
  const char16_t* name;  // with the closing semicolon
  size_t length;
  char16_t value;
};
constexpr TEntity kEntities[] = {
    {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'},
    {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
};

// Matches a named entity after '&'; returns its length (0 when none).
size_t MatchEntity(const char16_t* p, char16_t* value) {
  for (const TEntity& entity : kEntities) {
    if (std::char_traits<char16_t>::compare(p, entity.name, entity.length) == 0) {
      *value = entity.value;
      return entity.length;
    }
  }
  return 0;
}

void CopyTruncated(char16_t* dest, size_t capacity, const char16_t* src) {
  size_t n = 0;
  while (src && src[n] && n + 1 < capacity) {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = 0;
}

}  // namespace

CUIMarkup::CUIMarkup() = default;

CUIMarkup::CUIMarkup(std::u16string_view text) { (void)LoadFromText(text); }

void CUIMarkup::Release() {
  m_pstrXML = std::u16string();
  m_pElements.reset();
  m_nElements = 0;
  m_nReservedElements = 0;
}

bool CUIMarkup::LoadFromText(std::u16string_view text) { return LoadBuffer(std::u16string(text)); }

bool CUIMarkup::LoadFromMemory(uint8_t* bytes, size_t size, int encoding) {
  if (!bytes && size > 0) return false;
  if (encoding == kUtf16) {
    if (size < 2 || !((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
      Release();
      return false;
    }
    bool bigEndian = bytes[0] == 0xFE;
    size_t count = size / 2 - 1;
    if (bigEndian) {
      for (size_t i = 2; i + 1 < size; i += 2) std::swap(bytes[i], bytes[i + 1]);
    }
    std::u16string text(count, u'\0');
    for (size_t i = 0; i < count; ++i) {
      text[i] = static_cast<char16_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
    }
    return LoadBuffer(std::move(text));
  }
  std::string_view narrow(reinterpret_cast<const char*>(bytes), size);
  std::u16string wide;
  if (encoding == kAnsi) {
    wide = platform::AnsiToWide(narrow);
  } else {
    if (size > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) narrow.remove_prefix(3);
    wide = Utf8ToUtf16(narrow);
  }
  return LoadBuffer(std::move(wide));
}

bool CUIMarkup::LoadBuffer(std::u16string text) {
  Release();
  m_pstrXML = std::move(text);
  if (Parse()) return true;
  Release();
  return false;
}

CUIMarkupNode CUIMarkup::GetRoot() {
  if (m_nElements <= 1) return CUIMarkupNode();
  return CUIMarkupNode(this, 1);
}

int CUIMarkup::ReserveElement() {
  if (m_nElements >= m_nReservedElements) {
    int32_t capacity = m_nReservedElements + m_nReservedElements / 2 + 500;
    auto grown = std::make_unique_for_overwrite<TElement[]>(capacity);
    if (m_nElements > 0) std::memcpy(grown.get(), m_pElements.get(), sizeof(TElement) * m_nElements);
    m_pElements = std::move(grown);
    m_nReservedElements = capacity;
  }
  m_pElements[m_nElements] = TElement{0, 0, 0, 0, 0};
  return m_nElements++;
}

bool CUIMarkup::Fail(const char16_t* message, const char16_t* at) {
  CopyTruncated(m_szErrorMsg, 100, message);
  CopyTruncated(m_szErrorXML, 50, at);
  m_iErrorPos = at ? Offset(at) : -1;
  return false;
}

bool CUIMarkup::Parse() {
  (void)ReserveElement();  // element 0 means "no element"
  m_szErrorMsg[0] = 0;
  m_szErrorXML[0] = 0;
  m_iErrorPos = -1;
  char16_t* p = m_pstrXML.data();
  m_pLimit = p + m_pstrXML.size() + 1;
  return ParseSequence(p, 0);
}

bool CUIMarkup::ParseSequence(char16_t*& p, int iParent) {
  int iPrevious = 0;
  for (;;) {
    p = markup_scan::SkipBlanks(p, m_pLimit);
    if (*p == 0 && iParent <= 1) return true;
    if (*p != u'<') return Fail(u"Expected start tag", p);
    if (p[1] == u'/') return true;  // the caller's closing tag
    *p++ = 0;
    SkipWhitespace(p);
    if (*p == u'!' || *p == u'?') {
      SkipToEndOf(p, *p == u'!' ? u'-' : u'?');
      continue;
    }
    if (!ParseElement(p, iParent, &iPrevious)) return false;
  }
}

void CUIMarkup::SkipToEndOf(char16_t*& p, char16_t last) {
  for (;;) {
    p = markup_scan::FindStop(p, m_pLimit, last, last);
    if (*p == 0) return;
    if (p[1] == u'>') {
      p += 2;
      return;
    }
    ++p;
  }
}

bool CUIMarkup::ParseElement(char16_t*& p, int iParent, int* piPrevious) {
  int iElement = ReserveElement();
  TElement& element = m_pElements[iElement];
  element.iStart = Offset(p);
  element.iParent = iParent;
  if (*piPrevious != 0) m_pElements[*piPrevious].iNext = iElement;
  else if (iParent != 0) m_pElements[iParent].iChild = iElement;
  char16_t* pName = p;
  SkipIdentifier(p);
  char16_t* pNameEnd = p;
  if (*p == 0) return Fail(u"Error parsing element name", p);
  if (!ParseAttributes(p)) return false;
  SkipWhitespace(p);
  if (p[0] == u'/' && p[1] == u'>') {
    m_pElements[iElement].iData = Offset(p);
    *p = 0;
    p += 2;
  } else {
    if (*p != u'>') return Fail(u"Expected start-tag closing", p);
    m_pElements[iElement].iData = Offset(p + 1);
    char16_t* dest = ++p;
    ParseData(p, dest, u'<');
    if (*p == 0 && iParent <= 1) {
      // An unclosed root (or child of the root) at the end of the text: its
      // name still needs its terminator.
      *dest = 0;
      if (*pNameEnd == u'>') *pNameEnd = 0;
      return true;
    }
    if (*p != u'<') return Fail(u"Expected end-tag start", p);
    if (p[1] != u'/' && !ParseSequence(p, iElement)) return false;
    if (p[0] == u'<' && p[1] == u'/') {
      if (!ParseClosingTag(p, pName, pNameEnd - pName, dest)) return false;
    } else {
      *dest = 0;  // children ended the text; a shortened text still needs its end
    }
  }
  if (*pNameEnd == u'>') *pNameEnd = 0;
  *piPrevious = iElement;
  return true;
}

bool CUIMarkup::ParseClosingTag(char16_t*& p, const char16_t* name, size_t length,
                                char16_t* pDataEnd) {
  *pDataEnd = 0;
  *p = 0;
  p += 2;
  SkipWhitespace(p);
  if (std::char_traits<char16_t>::compare(p, name, length) != 0) {
    return Fail(u"Unmatched closing tag", p);
  }
  p += length;
  SkipWhitespace(p);
  if (*p++ != u'>') return Fail(u"Unmatched closing tag", p - 1);
  return true;
}

bool CUIMarkup::ParseAttributes(char16_t*& p) {
  // An empty-element tag keeps its '/', which ends the name later.
  if (*p == u'>' || *p == u'/') return true;
  *p++ = 0;
  for (;;) {
    SkipWhitespace(p);
    if (*p == 0 || *p == u'/' || *p == u'>') return true;
    SkipIdentifier(p);
    char16_t* pNameEnd = p;
    SkipWhitespace(p);
    if (*p != u'=') return Fail(u"Error while parsing attributes", p);
    *p++ = u' ';
    *pNameEnd = 0;
    SkipWhitespace(p);
    if (*p != u'"') return Fail(u"Expected attribute value", p);
    char16_t* dest = ++p;
    ParseData(p, dest, u'"');
    if (*p == 0) return Fail(u"Error while parsing attribute string", p);
    *dest = 0;
    if (dest != p) *p = u' ';
    ++p;
  }
}

void CUIMarkup::ParseData(char16_t*& src, char16_t*& dest, char16_t end) {
  // Until the first entity nothing moves: source and destination coincide.
  if (m_bPreserveWhitespace && src == dest) {
    src = markup_scan::FindStop(src, m_pLimit, end, u'&');
    dest = src;
  }
  while (*src && *src != end) {
    if (*src == u'&') {
      char16_t value = 0;
      size_t length = MatchEntity(src + 1, &value);
      if (length > 0) {
        *dest++ = value;
        src += 1 + length;
        continue;
      }
      *dest++ = *src++;
    } else if (*src == u' ') {
      *dest++ = *src++;
      if (!m_bPreserveWhitespace) SkipWhitespace(src);
    } else {
      *dest++ = *src++;
    }
  }
  // Blank out what decoding freed, so attribute mapping can step over it.
  for (char16_t* q = dest + 1; q < src; ++q) *q = u' ';
}

const char16_t* CUIMarkupNode::GetName() const {
  if (!m_pOwner) return nullptr;
  return m_pOwner->Text() + m_pOwner->m_pElements[m_iPos].iStart;
}

const char16_t* CUIMarkupNode::GetValue() const {
  if (!m_pOwner) return nullptr;
  return m_pOwner->Text() + m_pOwner->m_pElements[m_iPos].iData;
}

CUIMarkupNode CUIMarkupNode::GetChild() const {
  if (!m_pOwner) return CUIMarkupNode();
  int index = m_pOwner->m_pElements[m_iPos].iChild;
  return index == 0 ? CUIMarkupNode() : CUIMarkupNode(m_pOwner, index);
}

CUIMarkupNode CUIMarkupNode::GetSibling() const {
  if (!m_pOwner) return CUIMarkupNode();
  int index = m_pOwner->m_pElements[m_iPos].iNext;
  return index == 0 ? CUIMarkupNode() : CUIMarkupNode(m_pOwner, index);
}

bool CUIMarkupNode::HasChildren() const {
  return m_pOwner && m_pOwner->m_pElements[m_iPos].iChild != 0;
}

bool CUIMarkupNode::HasAttributes() {
  if (m_nAttributes == 0) MapAttributes();
  return m_nAttributes > 0;
}

int CUIMarkupNode::GetAttributeCount() {
  if (!m_pOwner) return 0;
  if (m_nAttributes == 0) MapAttributes();
  return m_nAttributes;
}

const char16_t* CUIMarkupNode::GetAttributeName(int index) {
  if (!m_pOwner) return nullptr;
  if (m_nAttributes == 0) MapAttributes();
  if (index < 0 || index >= m_nAttributes) return u"";
  return m_pOwner->Text() + m_aAttributes[index].name;
}

const char16_t* CUIMarkupNode::GetAttributeValue(int index) {
  if (!m_pOwner) return nullptr;
  if (m_nAttributes == 0) MapAttributes();
  if (index < 0 || index >= m_nAttributes) return u"";
  return m_pOwner->Text() + m_aAttributes[index].value;
}

bool CUIMarkupNode::GetAttributeValue(std::u16string_view name, char16_t* buffer,
                                      size_t maxChars) {
  if (!m_pOwner || !buffer) return false;
  if (m_nAttributes == 0) MapAttributes();
  const char16_t* text = m_pOwner->Text();
  for (int i = 0; i < m_nAttributes; ++i) {
    if (std::u16string_view(text + m_aAttributes[i].name) != name) continue;
    const char16_t* value = text + m_aAttributes[i].value;
    size_t n = 0;
    while (n < maxChars && value[n]) {
      buffer[n] = value[n];
      ++n;
    }
    buffer[n] = 0;
    return true;
  }
  return false;
}

void CUIMarkupNode::MapAttributes() {
  if (!m_pOwner) return;
  const CUIMarkup::TElement& element = m_pOwner->m_pElements[m_iPos];
  const char16_t* text = m_pOwner->Text();
  const char16_t* pEnd = text + element.iData;
  const char16_t* p = text + element.iStart;
  p += Length(p) + 1;
  while (p < pEnd && m_nAttributes < MaxMarkupAttributes) {
    while (p < pEnd && IsSpace(*p)) ++p;
    if (p >= pEnd) break;
    uint32_t nameAt = static_cast<uint32_t>(p - text);
    p += Length(p) + 1;
    while (p < pEnd && IsSpace(*p)) ++p;
    if (p >= pEnd || *p != u'"') break;
    ++p;
    m_aAttributes[m_nAttributes++] = {nameAt, static_cast<uint32_t>(p - text)};
    p += Length(p) + 1;
  }
}

}  // namespace SkinUI
