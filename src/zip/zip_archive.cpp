#include "zip/zip_archive.h"

#include <memory>
#include <string>

#include "zip/zip_names.h"
#include "zip/zip_writer.h"

namespace {

// Plain process-wide value: archives are used from one thread at a time.
uint32_t g_lastResult = kZipResultOk;

uint32_t Finish(uint32_t result) {
  g_lastResult = result;
  return result;
}

// Checks a handle before use: 0 when it is a live ZIP-writer handle.
uint32_t CheckHandle(HZIP handle) {
  if (handle == nullptr) return kZipResultBadArguments;
  if (handle->m_kind != kZipWriterHandleKind || handle->m_writer == nullptr) {
    return kZipResultWrongHandle;
  }
  return kZipResultOk;
}

}  // namespace

HZIP ZipArchiveCreate(const char16_t* path) {
  if (path == nullptr) {
    Finish(kZipResultOpenFailed);
    return nullptr;
  }
  auto writer = std::make_unique<CZipWriter>();
  if (!writer->Create(path)) {
    Finish(kZipResultOpenFailed);
    return nullptr;
  }
  Finish(kZipResultOk);
  return new ZipHandle{kZipWriterHandleKind, writer.release()};
}

uint32_t ZipArchiveAddFile(HZIP handle, const char16_t* entryName, const char16_t* sourcePath,
                           uint32_t flags) {
  const uint32_t check = CheckHandle(handle);
  if (check != kZipResultOk) return Finish(check);
  if (entryName == nullptr || sourcePath == nullptr) return Finish(kZipResultBadArguments);
  const bool regularOnly = (flags & kZipAddRegularOnly) != 0;
  return Finish(handle->m_writer->AddFile(ToEntryName(entryName), sourcePath, regularOnly));
}

uint32_t ZipArchiveClose(HZIP handle) {
  const uint32_t check = CheckHandle(handle);
  if (check != kZipResultOk) return Finish(check);
  const uint32_t result = handle->m_writer->Close();
  delete handle->m_writer;
  delete handle;
  return Finish(result);
}

uint32_t ZipArchiveLastResult() { return g_lastResult; }
