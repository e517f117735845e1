// Scanning helpers of the markup parser: runs of plain characters (attribute
// values, text, comments, blanks between elements) are stepped over eight
// UTF-16 units at a time with the compiler's generic vector types (SSE2 or
// NEON where the target has them, plain code elsewhere). Names stay with the
// parser's scalar loop: they are short, and the end found by a vector is a
// result to wait for, where the scalar loop runs ahead on predicted branches;
// measured, the vector search was slower.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace SkinUI::markup_scan {

typedef uint16_t U16x8 __attribute__((vector_size(16)));

inline U16x8 Load8(const char16_t* p) {
  U16x8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline U16x8 Splat(char16_t c) { return U16x8{} + static_cast<uint16_t>(c); }

// The index of the first lane of mask (0 or all ones per lane) that is set;
// 8 when none is. Branch-free with SSE2: which lane ends a short run is
// what the caller cannot predict.
template <typename TMask>
inline int FirstSet(TMask mask) {
#if defined(__SSE2__)
  const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(reinterpret_cast<__m128i>(mask)));
  return __builtin_ctz(bits | 0x10000u) / 2;
#else
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "lane order");
  uint64_t halves[2];
  std::memcpy(halves, &mask, sizeof halves);
  if (halves[0] != 0) return __builtin_ctzll(halves[0]) / 16;
  if (halves[1] != 0) return 4 + __builtin_ctzll(halves[1]) / 16;
  return 8;
#endif
}

// In all scanners, limit is one past the text's terminating 0: eight-unit
// loads stay below it, the rest goes unit by unit and stops at that 0 at the
// latest.

// The first unit at or after p that is a, b or code 0.
inline char16_t* FindStop(char16_t* p, const char16_t* limit, char16_t a, char16_t b) {
  const U16x8 va = Splat(a), vb = Splat(b), zero = U16x8{};
  while (limit - p >= 8) {
    const U16x8 v = Load8(p);
    const int n = FirstSet((v == va) | (v == vb) | (v == zero));
    if (n < 8) return p + n;
    p += 8;
  }
  while (*p != a && *p != b && *p != 0) ++p;
  return p;
}

// Steps over blanks and control characters (1..32).
inline char16_t* SkipBlanks(char16_t* p, const char16_t* limit) {
  const U16x8 one = Splat(1), span = Splat(32);
  while (limit - p >= 8) {
    const U16x8 v = Load8(p);
    const int n = FirstSet((v - one) >= span);
    if (n < 8) return p + n;
    p += 8;
  }
  while (*p != 0 && *p <= 32) ++p;
  return p;
}

}  // namespace SkinUI::markup_scan
