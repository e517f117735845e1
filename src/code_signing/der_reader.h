// A reader of DER (X.690) elements inside one buffer: every length is checked
// against what encloses it, so no read leaves the buffer however the lengths
// nest. Only what signatures use: one-byte tags, definite lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace code_signing {

using Bytes = std::span<const uint8_t>;

inline constexpr uint8_t kDerInteger = 0x02;
inline constexpr uint8_t kDerOctetString = 0x04;
inline constexpr uint8_t kDerNull = 0x05;
inline constexpr uint8_t kDerOid = 0x06;
inline constexpr uint8_t kDerSequence = 0x30;
inline constexpr uint8_t kDerSet = 0x31;
inline constexpr uint8_t kDerContext0 = 0xA0;  // [0], constructed
inline constexpr uint8_t kDerContext1 = 0xA1;  // [1], constructed

struct DerElement {
  uint8_t tag = 0;
  Bytes value;  // the contents
  Bytes whole;  // tag, length and contents
};

class CDerReader {
 public:
  explicit CDerReader(Bytes bytes) : m_rest(bytes) {}

  bool AtEnd() const { return m_rest.empty(); }
  // Takes the next element; false (and nothing taken) when it is malformed or
  // runs past the end.
  bool Next(DerElement* element);
  // Takes the next element only when it has tag; false otherwise.
  bool Expect(uint8_t tag, DerElement* element);
  // The next element's tag, or 0 at the end.
  uint8_t PeekTag() const { return m_rest.empty() ? 0 : m_rest[0]; }

 private:
  Bytes m_rest;
};

bool SameBytes(Bytes a, Bytes b);

}  // namespace code_signing
