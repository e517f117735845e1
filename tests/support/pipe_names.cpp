#include "support/pipe_names.h"

#include <atomic>
#include <random>

std::string UniquePipeName() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return "lpc-test-" + std::to_string(random()) + "-" + std::to_string(++counter);
}
