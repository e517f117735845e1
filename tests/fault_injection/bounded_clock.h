// Measures how long a fault-injection case takes to give up and records it
// in the test's XML output (property "gave_up_ms" and the like), so a run
// with --gtest_output=xml lists every case's figure.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

class CBoundedClock {
 public:
  std::chrono::milliseconds Elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start);
  }
  // Records the time since construction under name.
  void Report(const std::string& name) const {
    ::testing::Test::RecordProperty(name, std::to_string(Elapsed().count()));
  }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
