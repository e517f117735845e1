// Opens the update dialog as the program does and measures in one run what it
// costs while it waits and per progress tick:
//  - the voluntary context switches (wake-ups) of its thread while the dialog
//    idles on the check's failure page (the check goes to a closed port);
//  - the time of one progress tick (the value changes, the bar and its label
//    are painted and on the display: X11 answers a round trip after them)
//    next to a frame of the whole window, both medians of interleaved runs,
//    in wall time and in the thread's processor time (which other load on
//    the machine, the display server's scheduling among it, does not stretch).
// Prints "name value" lines, which update_dialog_bench reports.
//   orv_dialog_idle [IDLE_SECONDS] [TICKS]
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/skin_archive.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "platform/window/window_test_driver.h"
#include "skinui/layout/tab_layout.h"
#include "update_dialog/main_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr platform::UINT kStopIdle = WM_USER + 900;

// The voluntary context switches of this process's thread tid so far.
long VoluntarySwitches(long tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  const std::string key = "voluntary_ctxt_switches:";
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return -1;
}

// The first filter the loop offers a message to: notes the check's result,
// counts messages and ends the loop on kStopIdle.
class CLoopWatch : public platform::CMessageFilter {
 public:
  platform::BOOL PreTranslateMessage(platform::MSG* msg) override {
    if (msg->message == kStopIdle) {
      platform::PostQuitMessage(0);
      return true;
    }
    if (msg->message == WM_UPDATE_RESULT) m_checked.store(true);
    m_messages.fetch_add(1);
    return false;
  }
  std::atomic<bool> m_checked{false};
  std::atomic<long> m_messages{0};
};

// A private data home and registry, and an API server that refuses at once.
bool PrepareEnvironment() {
  char folder[] = "/tmp/orv-dialog-idle.XXXXXX";
  if (mkdtemp(folder) == nullptr) return false;
  setenv("XDG_DATA_HOME", folder, 1);
  setenv("ORV_REGISTRY", (std::string(folder) + "/registry.db").c_str(), 1);
  setenv("ORV_API_BASE", "http://127.0.0.1:1/", 1);
  setenv("ORV_API_BASE_TEST", "http://127.0.0.1:1/", 1);
  return true;
}

// Counts the UI thread's wake-ups over seconds once the check has failed
// and the dialog settled, then ends the loop.
void MeasureIdle(platform::HWND dialog, CLoopWatch& watch, int seconds) {
  const long tid = syscall(SYS_gettid);
  std::thread sampler([&] {
    for (int i = 0; i < 3000 && !watch.m_checked.load(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long switches = VoluntarySwitches(tid), messages = watch.m_messages.load();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long woken = VoluntarySwitches(tid) - switches, handled = watch.m_messages.load() - messages;
    std::printf("checked %d\nidle_seconds %d\nidle_wakeups %ld\nidle_wakeups_per_s %.2f\nidle_messages %ld\n",
                watch.m_checked.load() ? 1 : 0, seconds, woken, static_cast<double>(woken) / seconds,
                handled);
    platform::PostMessage(dialog, kStopIdle, 0, 0);
  });
  platform::GetMessageLoop()->Run();
  sampler.join();
}

// Pixels of the window's update region's bounding rectangle.
long UpdateArea(platform::HWND hwnd) {
  platform::RECT r;
  return platform::GetUpdateRect(hwnd, &r, false) ? long{r.right - r.left} * (r.bottom - r.top) : 0;
}

// This thread's processor time in microseconds.
double ThreadCpuUs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// A moment on the wall clock and on this thread's processor clock.
struct TStart {
  Clock::time_point wall = Clock::now();
  double cpuUs = ThreadCpuUs();
};

// Paints what is invalid and waits until the display has it; adds the wall
// and processor microseconds since start to the two lists.
void PaintAndWait(platform::HWND hwnd, const TStart& start, std::vector<double>* wall,
                  std::vector<double>* cpu) {
  platform::UpdateWindow(hwnd);
  platform::testing::FlushInput();
  wall->push_back(std::chrono::duration<double, std::micro>(Clock::now() - start.wall).count());
  cpu->push_back(ThreadCpuUs() - start.cpuUs);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void MeasureTicks(CMainDlg& dialog, int ticks) {
  const platform::HWND hwnd = dialog.m_hWnd;
  for (const char16_t* name : {u"tab_main", u"tab_status"})
    if (auto* tab =
            static_cast<SkinUI::CTabLayoutUI*>(dialog.m_pm.FindControl(name)->GetInterface(u"TabLayout")))
      tab->SelectItem(1, false);
  std::vector<double> tick, frame, tickCpu, frameCpu;
  platform::InvalidateRect(hwnd, nullptr, false);
  PaintAndWait(hwnd, TStart{}, &frame, &frameCpu);
  long tickArea = 0, frameArea = 0;
  for (int i = 0; i < ticks; ++i) {
    const TStart tickStart;
    dialog.GetJob().m_nProgress.store(1 + i % 100);
    platform::SendMessage(hwnd, WM_TIMER, TIMER_ID_PROGRESS, 0);
    tickArea = std::max(tickArea, UpdateArea(hwnd));
    PaintAndWait(hwnd, tickStart, &tick, &tickCpu);
    const TStart frameStart;
    platform::InvalidateRect(hwnd, nullptr, false);
    frameArea = UpdateArea(hwnd);
    PaintAndWait(hwnd, frameStart, &frame, &frameCpu);
  }
  const double tickUs = Median(tick), frameUs = Median(frame);
  std::printf("tick_us %.1f\nframe_us %.1f\ntick_to_frame %.3f\n", tickUs, frameUs, tickUs / frameUs);
  const double tickCpuUs = Median(tickCpu), frameCpuUs = Median(frameCpu);
  std::printf("tick_cpu_us %.1f\nframe_cpu_us %.1f\ntick_to_frame_cpu %.3f\n", tickCpuUs, frameCpuUs,
              tickCpuUs / frameCpuUs);
  std::printf("tick_area_px %ld\nframe_area_px %ld\n", tickArea, frameArea);
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;
  const int ticks = argc > 2 ? std::atoi(argv[2]) : 200;
  if (!PrepareEnvironment() || !RegisterSkinArchive()) return 2;
  platform::CMessageLoop loop;
  if (!platform::AddMessageLoop(&loop)) return 3;
  auto* dialog = new CMainDlg();  // ended with the process, never torn down
  if (dialog->CreateDialogWindow(u"OrvBenchIdleDialog", DialogTitle()) == nullptr) return 4;
  CLoopWatch watch;
  loop.AddMessageFilter(&watch);
  dialog->Place(true);
  std::printf("backend %s\n", platform::testing::WindowBackendName().c_str());
  MeasureIdle(dialog->m_hWnd, watch, idleSeconds);
  MeasureTicks(*dialog, ticks);
  std::fflush(stdout);
  std::_Exit(watch.m_checked.load() ? 0 : 5);
}
