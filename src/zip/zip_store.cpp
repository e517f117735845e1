#include "zip/zip_data.h"

ZipDataOutcome StoreEntryData(CZipSource& source, CZipOutput& output, uint8_t* buffer, uint32_t bufferSize) {
  ZipDataOutcome outcome;
  const uint32_t start = output.BytesWritten();
  uint32_t got = 0;
  while (true) {
    if (!source.Read(buffer, bufferSize, &got)) {
      outcome.error = "read failed";
      break;
    }
    if (got == 0) {
      outcome.ok = true;
      break;
    }
    if (!output.Write(buffer, got)) {
      outcome.error = "write failed";
      break;
    }
  }
  outcome.compressedSize = output.BytesWritten() - start;
  return outcome;
}
