// Child processes for tests: started with arguments, awaited with a bound.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // Starts program with args (args[0] is the name the child sees as its
  // first argument); stdout and stderr go to outputFile when given.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& outputFile = "");
  ~ChildProcess();  // kills the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The system's process id; 0 or less when the start failed.
  int pid() const { return m_pid; }
  // Waits for the exit; the exit code, or nullopt on timeout or a signal death.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  void Kill();

 private:
  int m_pid = -1;
  bool m_reaped = false;
  intptr_t m_handle = 0;  // the process handle on Windows
};

// Polls condition every 10 ms until it holds or timeout passes.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout);

// The path of a program built in this tree's bin folder (".exe" added on
// Windows unless the name already ends with it).
std::string BuiltProgram(const std::string& name);

// A copy of the sleeper test program (it sleeps for the seconds given as its
// first argument) at path, so that a test can run a process of any name.
void CopySleeper(const std::string& path);

#include "support/child_process_inl.h"
