// Little-endian reads and writes of fixed-size integers in byte buffers, the
// order of the ZIP records, registry values, MD5 blocks and minidump fields.
// Plain inline functions without library calls: the crash handler uses them
// inside a fatal-signal handler.
#pragma once

#include <cstdint>

inline uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline uint64_t LoadLe64(const uint8_t* p) { return LoadLe32(p) | (uint64_t{LoadLe32(p + 4)} << 32); }

inline void StoreLe16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(uint8_t* p, uint32_t value) {
  StoreLe16(p, static_cast<uint16_t>(value));
  StoreLe16(p + 2, static_cast<uint16_t>(value >> 16));
}

inline void StoreLe64(uint8_t* p, uint64_t value) {
  StoreLe32(p, static_cast<uint32_t>(value));
  StoreLe32(p + 4, static_cast<uint32_t>(value >> 32));
}
