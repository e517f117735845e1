#include "platform/system/whole_file.h"

#include "platform/system/file_handle.h"

namespace platform {

EWholeFileRead ReadWholeFile(const std::u16string& path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  CFileHandle file;
  if (!file.OpenForReading(path)) return EWholeFileRead::kNotOpened;
  constexpr uint32_t kChunk = 64 * 1024;
  for (;;) {
    const size_t used = bytes->size();
    bytes->resize(used + kChunk);
    uint32_t got = 0;
    if (!file.Read(bytes->data() + used, kChunk, &got)) {
      bytes->clear();
      return EWholeFileRead::kReadFailed;
    }
    bytes->resize(used + got);
    if (got == 0) return EWholeFileRead::kOk;
  }
}

}  // namespace platform
