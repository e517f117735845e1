// The process-wide module object: the two instance mutexes and the request
// to relaunch the program elevated.
#pragma once

#include <memory>

#include "platform/system/named_mutex.h"

class CMainModule {
 public:
  CMainModule() = default;
  ~CMainModule();
  CMainModule(const CMainModule&) = delete;
  CMainModule& operator=(const CMainModule&) = delete;

  // Creates "Orvane_Update"; true only when it was created and did not exist.
  // The handle is kept in both cases; a failed creation keeps none.
  bool AcquireUpdateMutex();
  // The same for "Orvane_UpLoadDumps".
  bool AcquireUploadMutex();
  // Closes the update mutex handle; false when none was open.
  bool ReleaseUpdateMutex();
  // Closes the upload mutex handle; false when none was open.
  bool ReleaseUploadMutex();

  bool m_bRelaunchElevated = false;

 private:
  std::unique_ptr<platform::NamedMutex> m_hUpdateMutex;
  std::unique_ptr<platform::NamedMutex> m_hUploadMutex;
};

// The module object of this process.
CMainModule& GetMainModule();
