// An Xvfb for a test: started on a free display number (Xvfb names it on a
// pipe, -displayfd, so runs in parallel never collide), ended with the object.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CXvfbServer {
 public:
  CXvfbServer() = default;
  ~CXvfbServer() { Stop(); }
  CXvfbServer(const CXvfbServer&) = delete;
  CXvfbServer& operator=(const CXvfbServer&) = delete;

  // Starts it with one screen of geometry ("WxHxDEPTH") and the extra
  // arguments (e.g. "-extension", "MIT-SHM"); false when it did not name its
  // display within ten seconds.
  [[nodiscard]] bool Start(const std::string& geometry = "1280x1024x24",
                           const std::vector<std::string>& extra = {});
  // ":N", for DISPLAY.
  const std::string& display() const { return m_display; }
  pid_t pid() const { return m_pid; }
  void Stop();

 private:
  pid_t m_pid = -1;
  std::string m_display;
};
