// Bytes read from the pipe and not yet parsed: a queue of chunks with a
// running total, cut into messages at zero bytes.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace lpc {

class CReceiveBuffer {
 public:
  // Appends bytes as read from the pipe.
  void Append(const char* data, size_t size);
  // Takes the bytes before the first zero byte off the front (the zero byte
  // is dropped too). False, taking nothing, while no zero byte has arrived.
  bool TakeMessage(std::string* text);
  // Bytes held, including parts of unfinished messages.
  size_t Size() const;
  void Clear();

 private:
  mutable std::mutex m_lock;
  std::deque<std::string> m_chunks;
  size_t m_frontOffset = 0;  // bytes of the front chunk already taken
  size_t m_total = 0;
  size_t m_terminators = 0;  // zero bytes held
};

}  // namespace lpc
