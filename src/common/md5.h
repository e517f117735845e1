// MD5 message digest (RFC 1321), the program's own implementation.
// Digests are rendered as 32 uppercase hexadecimal digits, high nibble first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMd5 {
 public:
  using Digest = std::array<uint8_t, 16>;

  CMd5();
  // Feeds bytes; may be called any number of times before Finish.
  void Update(const void* data, size_t size);
  // Pads, returns the digest and leaves the object ready for a new message.
  Digest Finish();

 private:
  void Reset();
  void Transform(const uint8_t* block, size_t blocks);

  uint32_t m_state[4];
  uint64_t m_length = 0;  // bytes fed so far
  uint8_t m_buffer[64];
  size_t m_buffered = 0;
};

// Renders 16 digest bytes as 32 uppercase hex digits.
std::string Md5Hex(const CMd5::Digest& digest);
// MD5 of a byte buffer, rendered as 32 uppercase hex digits.
std::string Md5HexOf(const void* data, size_t size);
std::string Md5HexOf(std::string_view bytes);
