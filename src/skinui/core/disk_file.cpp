#include "skinui/core/disk_file.h"

#include "platform/file_handle.h"

namespace SkinUI {

EDiskRead ReadWholeDiskFile(std::u16string_view path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  platform::CFileHandle file;
  if (!file.OpenForReading(std::u16string(path))) return EDiskRead::kNotOpened;
  constexpr uint32_t kChunk = 64 * 1024;
  for (;;) {
    const size_t used = bytes->size();
    bytes->resize(used + kChunk);
    uint32_t got = 0;
    if (!file.Read(bytes->data() + used, kChunk, &got)) {
      bytes->clear();
      return EDiskRead::kReadFailed;
    }
    bytes->resize(used + got);
    if (got == 0) return EDiskRead::kOk;
  }
}

}  // namespace SkinUI
