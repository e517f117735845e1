// SHA-512 and SHA-384 (FIPS 180-4), the program's own: Authenticode signs
// installers' image digests with them as well as with SHA-256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class CSha512 {
 public:
  // SHA-384 is SHA-512 from other initial values, cut to 48 bytes.
  enum class EVariant { kSha512, kSha384 };

  explicit CSha512(EVariant variant = EVariant::kSha512);
  void Update(const void* data, size_t size);
  // Pads, returns the digest (64 or 48 bytes) and leaves the object ready
  // for a new message.
  std::vector<uint8_t> Finish();

 private:
  void Reset();

  EVariant m_variant;
  uint64_t m_state[8];
  uint64_t m_length = 0;  // bytes; messages stay far below 2^61 bytes
  uint8_t m_buffer[128];
  size_t m_buffered = 0;
};
