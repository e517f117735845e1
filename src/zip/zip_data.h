// Writing an entry's data: deflated through zlib or stored as is. Both read
// the whole source and send output through the writer's buffer.
#pragma once

#include <cstdint>

#include "zip/zip_output.h"
#include "zip/zip_source.h"

struct ZipDataOutcome {
  bool ok = false;
  // Bytes of entry data that reached the archive.
  uint32_t compressedSize = 0;
  // Why ok is false ("write failed", "read failed" or a deflater fault).
  const char* error = "";
};

// Raw deflate (no zlib header) at level 8 with a 32 KiB window; output is
// collected in buffer and written whenever it fills and at the end. The
// result is always a complete deflate stream, even for an empty source.
ZipDataOutcome DeflateEntryData(CZipSource& source, CZipOutput& output, uint8_t* buffer, uint32_t bufferSize);

// Copies the source in blocks of bufferSize bytes.
ZipDataOutcome StoreEntryData(CZipSource& source, CZipOutput& output, uint8_t* buffer, uint32_t bufferSize);
