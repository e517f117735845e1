#include "zip/zip_inflater.h"

#include <zlib.h>

#include <climits>

CZipInflater::CZipInflater(const uint8_t* input, size_t size) {
  auto* stream = new z_stream{};
  stream->next_in = const_cast<Bytef*>(input);
  // Entry sizes come from 32-bit directory fields, so they fit uInt.
  stream->avail_in = static_cast<uInt>(size);
  // Negative window bits: raw deflate, as ZIP entries carry no zlib header.
  m_ready = inflateInit2(stream, -MAX_WBITS) == Z_OK;
  m_stream = stream;
}

CZipInflater::~CZipInflater() {
  auto* stream = static_cast<z_stream*>(m_stream);
  if (m_ready) inflateEnd(stream);
  delete stream;
}

bool CZipInflater::Inflate(uint8_t* out, size_t size, size_t* produced) {
  *produced = 0;
  if (!m_ready) return false;
  auto* stream = static_cast<z_stream*>(m_stream);
  while (size > 0 && !m_finished) {
    uInt chunk = size > UINT_MAX ? UINT_MAX : static_cast<uInt>(size);
    stream->next_out = out;
    stream->avail_out = chunk;
    int rc = inflate(stream, Z_NO_FLUSH);
    size_t got = chunk - stream->avail_out;
    *produced += got;
    out += got;
    size -= got;
    if (rc == Z_STREAM_END)
      m_finished = true;
    else if (rc != Z_OK)
      return false;  // Z_BUF_ERROR here means truncated input
  }
  return true;
}
