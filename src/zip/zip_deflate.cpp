#include <zlib.h>

#include <vector>

#include "zip/zip_data.h"

namespace {

constexpr int kLevel = 8;
constexpr int kRawWindowBits = -15;  // 32 KiB window, no zlib header or trailer
constexpr int kMemLevel = 8;         // 15-bit hash
constexpr uint32_t kInputBlock = 64 * 1024;

class CDeflateRun {
 public:
  CDeflateRun(CZipSource& source, CZipOutput& output, uint8_t* buffer, uint32_t bufferSize)
      : m_source(source), m_output(output), m_buffer(buffer), m_bufferSize(bufferSize) {}
  ~CDeflateRun() {
    if (m_initialised) deflateEnd(&m_stream);
  }

  // Runs the stream to its end; returns the failure text or null.
  const char* Run() {
    if (deflateInit2(&m_stream, kLevel, Z_DEFLATED, kRawWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
      return "bad pack level";
    }
    m_initialised = true;
    m_input.resize(kInputBlock);
    ResetOutput();
    int flush = Z_NO_FLUSH;
    while (true) {
      if (m_stream.avail_in == 0 && flush == Z_NO_FLUSH) {
        if (!Refill(&flush)) return "read failed";
      }
      const int rc = deflate(&m_stream, flush);
      if (rc == Z_STREAM_ERROR) return "inconsistent deflate state";
      const bool finished = rc == Z_STREAM_END;
      if ((m_stream.avail_out == 0 || finished) && !FlushOutput()) return "write failed";
      if (finished) return nullptr;
    }
  }

 private:
  bool Refill(int* flush) {
    uint32_t got = 0;
    if (!m_source.Read(m_input.data(), kInputBlock, &got)) return false;
    m_stream.next_in = m_input.data();
    m_stream.avail_in = got;
    if (got == 0) *flush = Z_FINISH;
    return true;
  }

  bool FlushOutput() {
    const uint32_t pending = m_bufferSize - m_stream.avail_out;
    ResetOutput();
    return pending == 0 || m_output.Write(m_buffer, pending);
  }

  void ResetOutput() {
    m_stream.next_out = m_buffer;
    m_stream.avail_out = m_bufferSize;
  }

  CZipSource& m_source;
  CZipOutput& m_output;
  uint8_t* m_buffer;
  uint32_t m_bufferSize;
  z_stream m_stream{};
  bool m_initialised = false;
  std::vector<uint8_t> m_input;
};

}  // namespace

ZipDataOutcome DeflateEntryData(CZipSource& source, CZipOutput& output, uint8_t* buffer,
                                uint32_t bufferSize) {
  const uint32_t start = output.BytesWritten();
  const char* error = CDeflateRun(source, output, buffer, bufferSize).Run();
  ZipDataOutcome outcome;
  outcome.ok = error == nullptr;
  outcome.error = error == nullptr ? "" : error;
  outcome.compressedSize = output.BytesWritten() - start;
  return outcome;
}
