#include "app/main_module.h"

#include "common/product.h"

namespace {

bool AcquireMutex(std::unique_ptr<platform::NamedMutex>& handle, const std::u16string& name) {
  auto mutex = std::make_unique<platform::NamedMutex>();
  bool existed = false;
  if (!mutex->Create(name, &existed)) {
    handle.reset();
    return false;
  }
  handle = std::move(mutex);
  return !existed;
}

bool ReleaseMutex(std::unique_ptr<platform::NamedMutex>& handle) {
  if (!handle) return false;
  const bool closed = handle->Close();
  handle.reset();
  return closed;
}

}  // namespace

CMainModule::~CMainModule() {
  ReleaseUpdateMutex();
  ReleaseUploadMutex();
}

bool CMainModule::AcquireUpdateMutex() {
  return AcquireMutex(m_hUpdateMutex, std::u16string(product::kProductWord) + u"_Update");
}

bool CMainModule::AcquireUploadMutex() {
  return AcquireMutex(m_hUploadMutex, std::u16string(product::kProductWord) + u"_UpLoadDumps");
}

bool CMainModule::ReleaseUpdateMutex() { return ReleaseMutex(m_hUpdateMutex); }

bool CMainModule::ReleaseUploadMutex() { return ReleaseMutex(m_hUploadMutex); }

CMainModule& GetMainModule() {
  static CMainModule module;
  return module;
}
