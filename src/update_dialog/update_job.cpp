#include "update_dialog/update_job.h"

IUpdateServer& CUpdateJob::Server() {
  std::lock_guard<std::mutex> lock(m_serverLock);
  if (m_server == nullptr) m_server = MakeUpdateServer();
  return *m_server;
}

void CUpdateJob::OnDownloadProgress(double total, double received) {
  if (total == 0.0) return;
  const double percent = received * 100.0 / total;
  // Clamped before the conversion, so an absurd quotient cannot overflow it.
  const int32_t value = percent < 0.0 ? 0 : percent > 100.0 ? 100 : static_cast<int32_t>(percent);
  m_nProgress.store(value);
}
