#include "common/sha256.h"

#include <algorithm>
#include <cstring>

#include "common/sha_blocks.h"

namespace {

// Feeds data through a 64-byte buffer into blocks(state, bytes, count);
// the padding appends the big-endian length in bits.
template <typename Blocks>
void Feed(uint32_t* state, uint8_t* buffer, size_t* buffered, uint64_t* length, const void* data, size_t size,
          Blocks blocks) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  *length += size;
  if (*buffered > 0) {
    const size_t take = std::min(size, 64 - *buffered);
    std::memcpy(buffer + *buffered, bytes, take);
    *buffered += take;
    bytes += take;
    size -= take;
    if (*buffered < 64) return;
    blocks(state, buffer, 1);
    *buffered = 0;
  }
  if (size >= 64) {
    blocks(state, bytes, size / 64);
    bytes += size / 64 * 64;
    size %= 64;
  }
  std::memcpy(buffer, bytes, size);
  *buffered = size;
}

template <typename Blocks>
void Pad(uint32_t* state, uint8_t* buffer, size_t buffered, uint64_t length, Blocks blocks) {
  buffer[buffered++] = 0x80;
  if (buffered > 56) {
    std::memset(buffer + buffered, 0, 64 - buffered);
    blocks(state, buffer, 1);
    buffered = 0;
  }
  std::memset(buffer + buffered, 0, 56 - buffered);
  const uint64_t bits = length * 8;
  for (int i = 0; i < 8; ++i) buffer[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  blocks(state, buffer, 1);
}

template <size_t N>
std::array<uint8_t, N * 4> BigEndianWords(const uint32_t* state) {
  std::array<uint8_t, N * 4> out{};
  for (size_t i = 0; i < N * 4; ++i) out[i] = static_cast<uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

}  // namespace

CSha256::CSha256() { Reset(); }

void CSha256::Reset() {
  static constexpr uint32_t kInit[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::memcpy(m_state, kInit, sizeof(m_state));
  m_length = 0;
  m_buffered = 0;
}

void CSha256::Update(const void* data, size_t size) {
  Feed(m_state, m_buffer, &m_buffered, &m_length, data, size, sha_detail::Sha256Blocks);
}

CSha256::Digest CSha256::Finish() {
  Pad(m_state, m_buffer, m_buffered, m_length, sha_detail::Sha256Blocks);
  const Digest digest = BigEndianWords<8>(m_state);
  Reset();
  return digest;
}

CSha256::Digest Sha256Of(const void* data, size_t size) {
  CSha256 sha;
  sha.Update(data, size);
  return sha.Finish();
}
