#include "common/text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Widens the ASCII bytes at the start of bytes[0, size) into out; returns
// how many there were. It may store up to sixteen units beyond that count,
// which the caller overwrites later; out must have room for size units.
size_t WidenAsciiRun(const unsigned char* bytes, size_t size, char16_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (size - i >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(block, zero));
    const int high = _mm_movemask_epi8(block);
    if (high != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(high)));
    i += 16;
  }
#else
  while (size - i >= 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if ((word & 0x8080808080808080ull) != 0) break;
    for (int k = 0; k < 8; ++k) out[i + k] = bytes[i + k];
    i += 8;
  }
#endif
  while (i < size && bytes[i] < 0x80) {
    out[i] = bytes[i];
    ++i;
  }
  return i;
}

// Decodes the sequence at text[i] (not ASCII) into write, advancing i;
// returns the new write position. Three- and two-byte sequences (CJK,
// Latin) take a short way.
inline char16_t* DecodeSequence(std::string_view text, size_t& i, char16_t* write) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  // Three-byte sequences (CJK) first: the lead and continuation marks are
  // checked at once in a little-endian word.
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "byte order of the word");
  if (size - i >= 4) {
    uint32_t word;
    std::memcpy(&word, bytes + i, 4);
    if ((word & 0x00C0C0F0u) == 0x008080E0u) {
      const char32_t cp3 = ((word & 0x0F) << 12) | ((word >> 2) & 0xFC0) | ((word >> 16) & 0x3F);
      if (cp3 >= 0x800 && (cp3 < 0xD800 || cp3 > 0xDFFF)) {
        *write++ = static_cast<char16_t>(cp3);
        i += 3;
        return write;
      }
    }
  }
  if ((bytes[i] & 0xE0) == 0xC0 && bytes[i] >= 0xC2 && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
    *write++ = static_cast<char16_t>(((bytes[i] & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
    i += 2;
    return write;
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
  return write;
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

size_t Utf8ToUtf16(std::string_view text, char16_t* out) {
  char16_t* write = out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  for (size_t i = 0; i < size;) {
    // Runs of ASCII are the common case of markup and JSON. The run's spare
    // stores fit, as write never runs ahead of i.
    const size_t ascii = WidenAsciiRun(bytes + i, size - i, write);
    write += ascii;
    i += ascii;
    if (i >= size) break;
    // Then the run of other sequences, such as a Chinese word, in one go.
    do {
      write = DecodeSequence(text, i, write);
    } while (i < size && bytes[i] >= 0x80);
  }
  return static_cast<size_t>(write - out);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  out.resize(Utf8ToUtf16(text, out.data()));
  return out;
}

namespace {

template <typename Char>
Char LowerAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c + 32) : c;
}

template <typename Char>
bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

char16_t AsciiToLower(char16_t c) { return LowerAscii(c); }
char AsciiToLower(char c) { return LowerAscii(c); }

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(a, b); }

std::u16string ToU16(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}
