// SHA-256 (FIPS 180-4), the program's own: Authenticode signs installers'
// image digests with it. SHA-256 uses the processor's SHA
// instructions where it has them, so a large installer costs little more
// than its MD5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class CSha256 {
 public:
  using Digest = std::array<uint8_t, 32>;

  CSha256();
  void Update(const void* data, size_t size);
  // Pads, returns the digest and leaves the object ready for a new message.
  Digest Finish();

 private:
  void Reset();

  uint32_t m_state[8];
  uint64_t m_length = 0;
  uint8_t m_buffer[64];
  size_t m_buffered = 0;
};

CSha256::Digest Sha256Of(const void* data, size_t size);
