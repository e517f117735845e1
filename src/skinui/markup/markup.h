// The skin markup parser: an XML subset parsed destructively and in place
// into a flat table of elements. Positions are character offsets into the
// document's own UTF-16 buffer, so nodes survive growth of the element table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

inline constexpr int MaxMarkupAttributes = 64;

class CUIMarkup;

// A handle to one element of a loaded document; copied freely. Valid only
// while its document lives and is not reloaded.
class CUIMarkupNode {
 public:
  CUIMarkupNode() = default;
  CUIMarkupNode(CUIMarkup* owner, int index) : m_pOwner(owner), m_iPos(index) {}

  bool IsValid() const { return m_pOwner != nullptr; }
  // The element name, or null for an invalid node.
  const char16_t* GetName() const;
  // The element's text content (empty for "<a/>"), or null for an invalid node.
  const char16_t* GetValue() const;
  // First child / next sibling; an invalid node when there is none.
  CUIMarkupNode GetChild() const;
  CUIMarkupNode GetSibling() const;
  bool HasChildren() const;
  // Attributes are mapped on the first query; at most MaxMarkupAttributes.
  bool HasAttributes();
  int GetAttributeCount();
  // Name / value of attribute index; "" when out of range, null when invalid.
  const char16_t* GetAttributeName(int index);
  const char16_t* GetAttributeValue(int index);
  // Copies at most maxChars characters of the value of attribute name
  // (case-sensitive) into buffer and terminates it; buffer must hold
  // maxChars + 1 characters. False when there is no such attribute.
  bool GetAttributeValue(std::u16string_view name, char16_t* buffer, size_t maxChars);

 private:
  void MapAttributes();

  CUIMarkup* m_pOwner = nullptr;
  int m_iPos = 0;
  int m_nAttributes = 0;
  struct TAttribute {
    uint32_t name;
    uint32_t value;
  };
  TAttribute m_aAttributes[MaxMarkupAttributes] = {};
};

class CUIMarkup {
 public:
  // Text encodings of LoadFromMemory.
  enum EEncoding { kUtf8 = 0, kUtf16 = 1, kAnsi = 2 };

  CUIMarkup();
  // Loads text at once (see LoadFromText).
  explicit CUIMarkup(std::u16string_view text);
  CUIMarkup(const CUIMarkup&) = delete;
  CUIMarkup& operator=(const CUIMarkup&) = delete;

  // Replaces the content with a parse of text. On failure the document is
  // released and the error message and context are kept.
  [[nodiscard]] bool LoadFromText(std::u16string_view text);
  // Decodes bytes (UTF-8 with optional BOM, UTF-16 with a BOM, or ANSI) and
  // parses them like LoadFromText. UTF-16 without a BOM fails. For big-endian
  // UTF-16 the caller's bytes are byte-swapped in place.
  [[nodiscard]] bool LoadFromMemory(uint8_t* bytes, size_t size, int encoding = kUtf8);
  void Release();
  bool IsValid() const { return m_pElements != nullptr; }
  // The root element, or an invalid node for an empty document.
  CUIMarkupNode GetRoot();

  void SetPreserveWhitespace(bool preserve) { m_bPreserveWhitespace = preserve; }
  // The message of the last failure ("" when none).
  const char16_t* GetLastErrorMessage() const { return m_szErrorMsg; }
  // Up to 49 characters of the text where the last failure happened.
  const char16_t* GetLastErrorLocation() const { return m_szErrorXML; }
  // Character offset of the last failure in the parsed text, -1 when none.
  long GetLastErrorPosition() const { return m_iErrorPos; }
  int GetElementCount() const { return m_nElements; }
  int GetElementCapacity() const { return m_nReservedElements; }

 private:
  friend class CUIMarkupNode;
  struct TElement {
    int32_t iStart;
    int32_t iChild;
    int32_t iNext;
    int32_t iParent;
    int32_t iData;
  };

  // Room for length characters and a terminator, uninitialised.
  static std::unique_ptr<char16_t[]> AllocateText(size_t length);
  // Replaces the content with text (filled up to length; the terminator is
  // added here) and parses it. The old content is released only now, so the
  // new text may have been copied out of it.
  bool ParseText(std::unique_ptr<char16_t[]> text, size_t length);
  bool Parse();
  // The parsing steps take the position to start at and return the position
  // after what they parsed, or null once they failed (see Fail).
  char16_t* ParseSequence(char16_t* p, int iParent);
  char16_t* ParseElement(char16_t* p, int iParent, int* piPrevious);
  char16_t* ParseAttributes(char16_t* p);
  char16_t* ParseClosingTag(char16_t* p, const char16_t* name, size_t length, char16_t* pDataEnd);
  // Steps past the next last + '>' (the end of a comment or processing
  // instruction), or to the end of the text.
  char16_t* SkipToEndOf(char16_t* p, char16_t last);
  // Decodes text in place from src up to the next end character or the end
  // of the text, which it returns; *pDecodedEnd is set to one past the
  // decoded text. The quick scan for a text without entities is kept apart
  // from the decoding, so that it can be inlined.
  char16_t* ParseData(char16_t* src, char16_t end, char16_t** pDecodedEnd);
  char16_t* DecodeData(char16_t* src, char16_t* dest, char16_t end, char16_t** pDecodedEnd);
  int ReserveElement();
  // Keeps the error message and context; returns null for the caller to pass on.
  char16_t* Fail(const char16_t* message, const char16_t* at);
  int32_t Offset(const char16_t* p) const { return static_cast<int32_t>(p - m_pstrXML.get()); }
  const char16_t* Text() const { return m_pstrXML.get(); }

  // The owned text, zero-terminated; parsing writes into it but never
  // changes its length, so positions stay valid. A raw allocation, because
  // a string would be cleared first only to be overwritten by the decoder.
  std::unique_ptr<char16_t[]> m_pstrXML;
  // One past the text's terminating 0: the end of what the scanners may read.
  const char16_t* m_pLimit = nullptr;
  std::unique_ptr<TElement[]> m_pElements;
  int32_t m_nElements = 0;
  int32_t m_nReservedElements = 0;
  bool m_bPreserveWhitespace = true;
  char16_t m_szErrorMsg[100] = {};
  char16_t m_szErrorXML[50] = {};
  long m_iErrorPos = -1;
};

}  // namespace SkinUI
