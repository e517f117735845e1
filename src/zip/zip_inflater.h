// Raw-deflate decompression of one archive entry, delivered in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

class CZipInflater {
 public:
  // Prepares to inflate input[0..size). The bytes must outlive the object.
  CZipInflater(const uint8_t* input, size_t size);
  ~CZipInflater();
  CZipInflater(const CZipInflater&) = delete;
  CZipInflater& operator=(const CZipInflater&) = delete;

  bool IsReady() const { return m_ready; }
  // Inflates into out[0..size), storing how many bytes were produced.
  // Returns false on corrupt data, or when the input ends before the stream.
  [[nodiscard]] bool Inflate(uint8_t* out, size_t size, size_t* produced);
  bool IsFinished() const { return m_finished; }

 private:
  void* m_stream = nullptr;
  bool m_ready = false;
  bool m_finished = false;
};
