#include "common/text.h"

#include <cstdint>
#include <cstring>

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when malformed.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t* cp) {
  const auto b0 = static_cast<uint8_t>(text[i]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  size_t len;
  char32_t value;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, value = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, value = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, value = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<uint8_t>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return len;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  // Sized once for the worst case (one unit per byte) and written in place;
  // runs of ASCII, the common case of markup and JSON, are copied directly.
  std::u16string out(text.size(), u'\0');
  char16_t* write = out.data();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  for (size_t i = 0; i < size;) {
    // Eight ASCII bytes at a time; the compiler widens them as a vector.
    while (i + 8 <= size) {
      uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      if ((word & 0x8080808080808080ull) != 0) break;
      for (int k = 0; k < 8; ++k) write[k] = bytes[i + k];
      write += 8;
      i += 8;
    }
    while (i < size && bytes[i] < 0x80) *write++ = bytes[i++];
    if (i >= size) break;
    // Two- and three-byte sequences (Latin, CJK) without the general checks.
    if ((bytes[i] & 0xE0) == 0xC0 && bytes[i] >= 0xC2 && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
      *write++ = static_cast<char16_t>(((bytes[i] & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    if ((bytes[i] & 0xF0) == 0xE0 && i + 2 < size && (bytes[i + 1] & 0xC0) == 0x80 &&
        (bytes[i + 2] & 0xC0) == 0x80) {
      const char32_t cp3 = ((bytes[i] & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F);
      if (cp3 >= 0x800 && (cp3 < 0xD800 || cp3 > 0xDFFF)) {
        *write++ = static_cast<char16_t>(cp3);
        i += 3;
        continue;
      }
    }
    char32_t cp;
    const size_t len = DecodeUtf8(text, i, &cp);
    if (len == 0) {
      *write++ = u'\uFFFD';
      ++i;
    } else if (cp < 0x10000) {
      *write++ = static_cast<char16_t>(cp);
      i += len;
    } else {
      cp -= 0x10000;
      *write++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *write++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      i += len;
    }
  }
  out.resize(static_cast<size_t>(write - out.data()));
  return out;
}

char16_t AsciiToLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

std::u16string ToU16(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}
