// Child processes for tests: started with arguments, awaited with a bound.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // Starts program with args (argv[0] is program); stdout/stderr go to
  // outputFile when given.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& outputFile = "");
  ~ChildProcess();  // kills the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return m_pid; }
  // Waits for the exit; the exit code, or nullopt on timeout or a signal death.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  void Kill();

 private:
  pid_t m_pid = -1;
  bool m_reaped = false;
};

// Polls condition every 10 ms until it holds or timeout passes.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout);

// The path of a program built in this tree's bin folder.
std::string BuiltProgram(const std::string& name);

#include "support/child_process_inl.h"
