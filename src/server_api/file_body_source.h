// A request body read from a file as it is sent, so that an upload never
// holds the file in memory.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/file_handle.h"
#include "platform/http/http_exchange.h"

class CFileBodySource : public platform::IHttpBodySource {
 public:
  // Opens path for reading; false when it cannot be opened or is not a file
  // on disk (a pipe or a device has no length to announce).
  [[nodiscard]] bool Open(const std::u16string& path);
  uint64_t Size() const { return m_size; }

  bool Rewind() override;
  bool Read(uint8_t* buffer, size_t size, size_t* read) override;

 private:
  platform::CFileHandle m_file;
  uint64_t m_size = 0;
  uint64_t m_position = 0;
};
