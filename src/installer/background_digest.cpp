#include "installer/background_digest.h"

#include <system_error>

namespace {

constexpr size_t kSlots = 4;

}  // namespace

CBackgroundImageDigest::CBackgroundImageDigest(const code_signing::PeLayout& layout,
                                               code_signing::DigestKind kind, uint32_t blockSize)
    : m_digest(layout, kind), m_slots(kSlots) {
  for (Slot& slot : m_slots) {
    slot.bytes.resize(blockSize);
    m_free.push_back(&slot);
  }
  try {
    m_thread = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
  }
}

CBackgroundImageDigest::~CBackgroundImageDigest() { Stop(); }

std::vector<uint8_t>* CBackgroundImageDigest::Take() {
  std::unique_lock<std::mutex> lock(m_lock);
  m_changed.wait(lock, [this] { return !m_free.empty(); });
  m_taken = m_free.front();
  m_free.pop_front();
  return &m_taken->bytes;
}

void CBackgroundImageDigest::Hand(size_t size) {
  m_taken->size = size;
  if (!m_thread.joinable()) {
    m_digest.Update(m_taken->bytes.data(), size);
    std::lock_guard<std::mutex> lock(m_lock);
    m_free.push_back(m_taken);
    return;
  }
  std::lock_guard<std::mutex> lock(m_lock);
  m_queued.push_back(m_taken);
  m_changed.notify_all();
}

std::vector<uint8_t> CBackgroundImageDigest::Finish() {
  Stop();
  return m_digest.Finish();
}

void CBackgroundImageDigest::Run() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_changed.wait(lock, [this] { return !m_queued.empty() || m_stopping; });
    if (m_queued.empty()) return;
    Slot* slot = m_queued.front();
    lock.unlock();
    m_digest.Update(slot->bytes.data(), slot->size);
    lock.lock();
    m_queued.pop_front();
    m_free.push_back(slot);
    m_changed.notify_all();
  }
}

void CBackgroundImageDigest::Stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
    m_changed.notify_all();
  }
  m_thread.join();
}
