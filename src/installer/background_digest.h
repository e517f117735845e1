// The installer's image digest on a thread of its own, fed the blocks the
// MD5 pass reads: the pass then takes about as long as the MD5 alone.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "code_signing/image_digest.h"

class CBackgroundImageDigest {
 public:
  CBackgroundImageDigest(const code_signing::PeLayout& layout, code_signing::DigestKind kind,
                         uint32_t blockSize);
  // Waits for the blocks handed over (a pass that stopped early is not
  // finished).
  ~CBackgroundImageDigest();
  CBackgroundImageDigest(const CBackgroundImageDigest&) = delete;
  CBackgroundImageDigest& operator=(const CBackgroundImageDigest&) = delete;

  // A block to read the next bytes into; waits while every block is queued.
  std::vector<uint8_t>* Take();
  // Queues the block taken last with its first size bytes. The caller may
  // still read it (for the MD5) until it takes the next one.
  void Hand(size_t size);
  // The digest of everything handed over.
  std::vector<uint8_t> Finish();

 private:
  struct Slot {
    std::vector<uint8_t> bytes;
    size_t size = 0;
  };
  void Run();
  void Stop();

  code_signing::CImageDigest m_digest;
  std::vector<Slot> m_slots;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<Slot*> m_free, m_queued;
  Slot* m_taken = nullptr;  // the reader's own
  bool m_stopping = false;
  std::thread m_thread;  // not started when threads cannot be made: Hand hashes at once
};
