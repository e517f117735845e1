#include "skinui/markup/markup.h"

#include <cstring>

#include "common/text.h"
#include "platform/system/codepage.h"
#include "skinui/markup/markup_scan.h"

namespace SkinUI {
namespace {

// Code 0 ends the text, so it never counts as whitespace.
bool IsSpace(char16_t c) { return c != 0 && c <= 32; }

// The scanners take and return positions rather than updating a reference:
// a position kept in a register is what makes the short loops cheap.
char16_t* SkipWhitespace(char16_t* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

// Letters and digits as the wide character classification sees them. Beyond
// Latin-1 only the punctuation and symbol blocks are excluded, which keeps
// CJK names working the same on every platform.
struct TAsciiNameTable {
  bool name[128] = {};
  constexpr TAsciiNameTable() {
    for (int c = 0; c < 128; ++c) {
      name[c] =
          (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '_';
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

inline bool IsNameChar(char16_t c) {
  return c < 0x80 ? kAsciiNames.name[static_cast<size_t>(c)] : IsWideNameChar(c);
}

// Unrolled: names are short, and the loop's own steps would be a good part
// of the work.
char16_t* SkipIdentifier(char16_t* p) {
  for (;; p += 4) {
    if (!IsNameChar(p[0])) return p;
    if (!IsNameChar(p[1])) return p + 1;
    if (!IsNameChar(p[2])) return p + 2;
    if (!IsNameChar(p[3])) return p + 3;
  }
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
    {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'}, {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
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

// Whether text starts with the length units of name. Unit by unit: the text
// may end (in its terminator) within those units, and the reading must stop
// at the first difference.
bool StartsWithName(const char16_t* text, const char16_t* name, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != name[i]) return false;
  }
  return true;
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
  m_pstrXML.reset();
  m_pElements.reset();
  m_nElements = 0;
  m_nReservedElements = 0;
}

bool CUIMarkup::LoadFromText(std::u16string_view text) {
  auto buffer = AllocateText(text.size());
  std::char_traits<char16_t>::copy(buffer.get(), text.data(), text.size());
  return ParseText(std::move(buffer), text.size());
}

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
    auto text = AllocateText(count);
    for (size_t i = 0; i < count; ++i) {
      text[i] = static_cast<char16_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
    }
    return ParseText(std::move(text), count);
  }
  std::string_view narrow(reinterpret_cast<const char*>(bytes), size);
  if (encoding == kAnsi) return LoadFromText(platform::AnsiToWide(narrow));
  if (size > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) narrow.remove_prefix(3);
  // UTF-8 decodes straight into the owned text: never more units than bytes.
  auto text = AllocateText(narrow.size());
  const size_t length = Utf8ToUtf16(narrow, text.get());
  return ParseText(std::move(text), length);
}

std::unique_ptr<char16_t[]> CUIMarkup::AllocateText(size_t length) {
  return std::make_unique_for_overwrite<char16_t[]>(length + 1);
}

bool CUIMarkup::ParseText(std::unique_ptr<char16_t[]> text, size_t length) {
  Release();
  m_pstrXML = std::move(text);
  m_pstrXML[length] = 0;
  m_pLimit = m_pstrXML.get() + length + 1;
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

char16_t* CUIMarkup::Fail(const char16_t* message, const char16_t* at) {
  CopyTruncated(m_szErrorMsg, 100, message);
  CopyTruncated(m_szErrorXML, 50, at);
  m_iErrorPos = at ? Offset(at) : -1;
  return nullptr;
}

bool CUIMarkup::Parse() {
  (void)ReserveElement();  // element 0 means "no element"
  m_szErrorMsg[0] = 0;
  m_szErrorXML[0] = 0;
  m_iErrorPos = -1;
  return ParseSequence(m_pstrXML.get(), 0) != nullptr;
}

char16_t* CUIMarkup::ParseSequence(char16_t* p, int iParent) {
  int iPrevious = 0;
  for (;;) {
    p = markup_scan::SkipBlanks(p, m_pLimit);
    if (*p == 0 && iParent <= 1) return p;
    if (*p != u'<') return Fail(u"Expected start tag", p);
    if (p[1] == u'/') return p;  // the caller's closing tag
    *p++ = 0;
    p = SkipWhitespace(p);
    if (*p == u'!' || *p == u'?') {
      p = SkipToEndOf(p, *p == u'!' ? u'-' : u'?');
      continue;
    }
    p = ParseElement(p, iParent, &iPrevious);
    if (!p) return nullptr;
  }
}

char16_t* CUIMarkup::SkipToEndOf(char16_t* p, char16_t last) {
  for (;;) {
    p = markup_scan::FindStop(p, m_pLimit, last, last);
    if (*p == 0) return p;
    if (p[1] == u'>') return p + 2;
    ++p;
  }
}

char16_t* CUIMarkup::ParseElement(char16_t* p, int iParent, int* piPrevious) {
  int iElement = ReserveElement();
  TElement& element = m_pElements[iElement];
  element.iStart = Offset(p);
  element.iParent = iParent;
  if (*piPrevious != 0)
    m_pElements[*piPrevious].iNext = iElement;
  else if (iParent != 0)
    m_pElements[iParent].iChild = iElement;
  char16_t* pName = p;
  p = SkipIdentifier(p);
  char16_t* pNameEnd = p;
  if (*p == 0) return Fail(u"Error parsing element name", p);
  p = ParseAttributes(p);
  if (!p) return nullptr;
  p = SkipWhitespace(p);
  if (p[0] == u'/' && p[1] == u'>') {
    element.iData = Offset(p);
    *p = 0;
    p += 2;
  } else {
    if (*p != u'>') return Fail(u"Expected start-tag closing", p);
    element.iData = Offset(p + 1);
    char16_t* dest;
    p = ParseData(p + 1, u'<', &dest);
    if (*p == 0 && iParent <= 1) {
      // An unclosed root (or child of the root) at the end of the text: its
      // name still needs its terminator.
      *dest = 0;
      if (*pNameEnd == u'>') *pNameEnd = 0;
      return p;
    }
    if (*p != u'<') return Fail(u"Expected end-tag start", p);
    if (p[1] != u'/') {
      p = ParseSequence(p, iElement);
      if (!p) return nullptr;
    }
    if (p[0] == u'<' && p[1] == u'/') {
      p = ParseClosingTag(p, pName, pNameEnd - pName, dest);
      if (!p) return nullptr;
    } else {
      *dest = 0;  // children ended the text; a shortened text still needs its end
    }
  }
  if (*pNameEnd == u'>') *pNameEnd = 0;
  *piPrevious = iElement;
  return p;
}

char16_t* CUIMarkup::ParseClosingTag(char16_t* p, const char16_t* name, size_t length, char16_t* pDataEnd) {
  *pDataEnd = 0;
  *p = 0;
  p = SkipWhitespace(p + 2);
  if (!StartsWithName(p, name, length)) {
    return Fail(u"Unmatched closing tag", p);
  }
  p = SkipWhitespace(p + length);
  if (*p != u'>') return Fail(u"Unmatched closing tag", p);
  return p + 1;
}

char16_t* CUIMarkup::ParseAttributes(char16_t* p) {
  // An empty-element tag keeps its '/', which ends the name later.
  if (*p == u'>' || *p == u'/') return p;
  *p++ = 0;
  for (;;) {
    p = SkipWhitespace(p);
    if (*p == 0 || *p == u'/' || *p == u'>') return p;
    char16_t* pNameEnd = SkipIdentifier(p);
    p = SkipWhitespace(pNameEnd);
    if (*p != u'=') return Fail(u"Error while parsing attributes", p);
    *p = u' ';
    *pNameEnd = 0;
    p = SkipWhitespace(p + 1);
    if (*p != u'"') return Fail(u"Expected attribute value", p);
    char16_t* dest;
    p = ParseData(p + 1, u'"', &dest);
    if (*p == 0) return Fail(u"Error while parsing attribute string", p);
    *dest = 0;
    if (dest != p) *p = u' ';
    ++p;
  }
}

inline char16_t* CUIMarkup::ParseData(char16_t* src, char16_t end, char16_t** pDecodedEnd) {
  // Until the first entity nothing moves: source and destination coincide.
  if (m_bPreserveWhitespace) {
    src = markup_scan::FindStop(src, m_pLimit, end, u'&');
    if (*src != u'&') {
      *pDecodedEnd = src;
      return src;
    }
  }
  return DecodeData(src, src, end, pDecodedEnd);
}

char16_t* CUIMarkup::DecodeData(char16_t* src, char16_t* dest, char16_t end, char16_t** pDecodedEnd) {
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
      if (!m_bPreserveWhitespace) src = SkipWhitespace(src);
    } else {
      *dest++ = *src++;
    }
  }
  // Blank out what decoding freed, so attribute mapping can step over it.
  for (char16_t* q = dest + 1; q < src; ++q) *q = u' ';
  *pDecodedEnd = dest;
  return src;
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

bool CUIMarkupNode::HasChildren() const { return m_pOwner && m_pOwner->m_pElements[m_iPos].iChild != 0; }

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

bool CUIMarkupNode::GetAttributeValue(std::u16string_view name, char16_t* buffer, size_t maxChars) {
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
