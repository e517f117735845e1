// CreateSymbolicLinkW where the system makes links; under Wine, whose
// CreateSymbolicLinkW makes none, the host's ln through Wine's start.exe
// /unix, on the host paths Wine's own wine_get_unix_file_name names.
#include <windows.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/folder_link.h"

namespace {

using UnixFileName = char*(__cdecl*)(const wchar_t*);

std::string HostPath(UnixFileName unixName, const std::filesystem::path& path) {
  char* name = unixName(path.wstring().c_str());
  if (name == nullptr) return {};
  std::string text = name;
  HeapFree(GetProcessHeap(), 0, name);
  return text;
}

UnixFileName WineUnixFileName() {
  return reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Runs a program of the host (Wine runs it natively). start.exe /wait may
// return before a host program ends: callers await its effect.
bool RunOnHost(const std::vector<std::string>& args) {
  wchar_t windows[MAX_PATH];
  if (GetWindowsDirectoryW(windows, MAX_PATH) == 0) return false;
  std::vector<std::string> command{"start.exe", "/wait", "/unix"};
  command.insert(command.end(), args.begin(), args.end());
  ChildProcess child(std::filesystem::path(windows).string() + "\\command\\start.exe", command);
  return child.Wait(std::chrono::seconds(30)) == 0;
}

}  // namespace

void RemoveFolderLink(const std::filesystem::path& link) {
  std::error_code error;
  if (std::filesystem::is_symlink(link, error)) {
    std::filesystem::remove(link, error);
    return;
  }
  // Wine shows the host's link as a folder of its own, which it would empty.
  const UnixFileName unixName = WineUnixFileName();
  if (unixName == nullptr || !std::filesystem::exists(link, error)) return;
  const std::string hostLink = HostPath(unixName, link);
  if (!hostLink.empty() && RunOnHost({"/bin/rm", "-f", hostLink})) {
    (void)WaitFor(
        [&link] {
          std::error_code gone;
          return !std::filesystem::exists(link, gone);
        },
        std::chrono::seconds(10));
  }
}

bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link,
                    std::string* why) {
  std::error_code error;
  std::filesystem::create_directory_symlink(target, link, error);
  if (!error) return true;
  const UnixFileName unixName = WineUnixFileName();
  if (unixName == nullptr) {
    *why = error.message();
    return false;
  }
  const std::string hostTarget = HostPath(unixName, target), hostLink = HostPath(unixName, link);
  if (hostTarget.empty() || hostLink.empty()) {
    *why = "no host path";
    return false;
  }
  // Made once the link leads to target, not merely exists (it may be re-pointed).
  const auto made = [&link, &target] {
    std::error_code at;
    return std::filesystem::equivalent(link, target, at);
  };
  if (!RunOnHost({"/bin/ln", "-sfn", hostTarget, hostLink}) || !WaitFor(made, std::chrono::seconds(10))) {
    *why = "the host's ln made no link";
    return false;
  }
  return true;
}
