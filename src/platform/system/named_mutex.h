// Named mutexes used as presence markers between processes of one user.
// Never waited on: creating one tells whether another process holds it.
#pragma once

#include <string>

namespace platform {

class NamedMutex {
 public:
  NamedMutex() = default;
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Creates or opens the mutex called name (CreateMutexW, not initially owned).
  // Returns false when it cannot be created at all. *alreadyExisted tells
  // whether another open handle to the same name existed (ERROR_ALREADY_EXISTS);
  // the handle is kept open in both cases.
  [[nodiscard]] bool Create(const std::u16string& name, bool* alreadyExisted);
  // Closes the handle; returns false when none was open.
  bool Close();
  bool IsOpen() const;

 private:
#if defined(_WIN32)
  void* m_handle = nullptr;
#else
  int m_fd = -1;
#endif
};

}  // namespace platform
