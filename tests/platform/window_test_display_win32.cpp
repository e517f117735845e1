// Test displays on Windows: the system's own (under Wine, the X server that
// Wine was started on).
#include "window_test_display.h"

bool StartTestDisplay(const std::string& backend, std::string* error) {
  if (backend == "win32") return true;
  *error = "only the win32 backend exists here";
  return false;
}

void StopTestDisplay() {}
