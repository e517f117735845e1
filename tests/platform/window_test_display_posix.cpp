// Test displays on POSIX: the headless backend is chosen by environment; an
// X server (x11, or x11-noshm without MIT-SHM, as a remote display is) is an
// Xvfb started here on a free display number.
#include <cstdlib>
#include <memory>

#include "support/posix/xvfb_server.h"
#include "window_test_display.h"

namespace {

std::unique_ptr<CXvfbServer> g_xvfb;

}  // namespace

bool StartTestDisplay(const std::string& backend, std::string* error) {
  if (backend == "headless") return setenv("ORV_WINDOW_BACKEND", "headless", 1) == 0;
  if (backend != "x11" && backend != "x11-noshm") return *error = "unknown backend " + backend, false;
  std::vector<std::string> extra;
  if (backend == "x11-noshm") extra = {"-extension", "MIT-SHM"};
  g_xvfb = std::make_unique<CXvfbServer>();
  if (!g_xvfb->Start("1280x1024x24", extra)) {
    return *error = "Xvfb did not start (installed? scripts/setup.sh installs it)", false;
  }
  unsetenv("ORV_WINDOW_BACKEND");
  return setenv("DISPLAY", g_xvfb->display().c_str(), 1) == 0;
}

void StopTestDisplay() { g_xvfb.reset(); }
