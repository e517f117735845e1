// POSIX GUIDs: version-4 GUIDs from the kernel's random source (getrandom).
#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "platform/system/guid.h"

namespace platform {

bool CreateGuid(Guid* guid) {
  uint8_t bytes[16];
  size_t got = 0;
  while (got < sizeof(bytes)) {
    const ssize_t n = getrandom(bytes + got, sizeof(bytes) - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  guid->data1 =
      (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
  guid->data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid->data3 = static_cast<uint16_t>(0x4000 | (((bytes[6] << 8) | bytes[7]) & 0x0FFF));
  std::memcpy(guid->data4, bytes + 8, 8);
  guid->data4[0] = static_cast<uint8_t>((guid->data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return true;
}

}  // namespace platform
