#include "code_signing/der_reader.h"

#include <algorithm>

namespace code_signing {

bool CDerReader::Next(DerElement* element) {
  if (m_rest.size() < 2) return false;
  const uint8_t tag = m_rest[0];
  // High tag numbers (0x1F) never occur in what we read.
  if ((tag & 0x1F) == 0x1F) return false;
  size_t length = m_rest[1];
  size_t header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    // 0x80 is the indefinite form, which DER forbids; four bytes are plenty.
    if (count == 0 || count > 4 || m_rest.size() < 2 + count) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | m_rest[2 + i];
    header += count;
  }
  if (length > m_rest.size() - header) return false;
  element->tag = tag;
  element->value = m_rest.subspan(header, length);
  element->whole = m_rest.first(header + length);
  m_rest = m_rest.subspan(header + length);
  return true;
}

bool CDerReader::Expect(uint8_t tag, DerElement* element) {
  if (PeekTag() != tag) return false;
  return Next(element);
}

bool SameBytes(Bytes a, Bytes b) { return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin()); }

}  // namespace code_signing
