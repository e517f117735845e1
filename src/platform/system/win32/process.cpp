// Windows processes: toolhelp snapshots, OpenProcess + OpenProcessToken,
// ImpersonateLoggedOnUser / RevertToSelf, GetUserNameW, LookupAccountNameW +
// ConvertSidToStringSidW, TerminateProcess, the token's integrity level,
// ShellExecuteW "open" and ShellExecuteExW "runas"; which process runs a file
// (QueryFullProcessImageNameW, file identities by GetFileInformationByHandle).
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <utility>
#include <vector>

#include "platform/system/process.h"
#include "platform/system/win32/wide.h"

namespace platform {
namespace {

using win32::U;
using win32::W;

std::u16string SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  std::u16string result = U(text);
  LocalFree(text);
  return result;
}

// Reads one token information class into a buffer sized by a first call.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

// The volume and file index of the file at path (no access to its content
// needed, so a running image opens too); false when it cannot be opened.
bool FileIdentityAt(const wchar_t* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file =
      CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const BOOL got = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return got != FALSE;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// The identity of process pid's image file; false when it cannot be read.
bool ProcessImageIdentity(HANDLE process, BY_HANDLE_FILE_INFORMATION* info) {
  std::vector<wchar_t> image(32768);
  DWORD size = static_cast<DWORD>(image.size());
  return QueryFullProcessImageNameW(process, 0, image.data(), &size) && FileIdentityAt(image.data(), info);
}

bool ProcessImageIdentity(DWORD pid, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return false;
  const bool known = ProcessImageIdentity(process, info);
  CloseHandle(process);
  return known;
}

}  // namespace

std::vector<ProcessEntry> SnapshotProcesses() {
  std::vector<ProcessEntry> list;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return list;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    list.push_back({entry.th32ProcessID, U(entry.szExeFile)});
  }
  CloseHandle(snapshot);
  return list;
}

bool IsProgramFileRunning(const std::u16string& path) {
  BY_HANDLE_FILE_INFORMATION file;
  if (!FileIdentityAt(W(path), &file)) return false;
  // Toolhelp names each image by its file name: only those are opened.
  const size_t cut = path.find_last_of(u"\\/");
  const std::u16string name = cut == std::u16string::npos ? path : path.substr(cut + 1);
  for (const ProcessEntry& entry : SnapshotProcesses()) {
    BY_HANDLE_FILE_INFORMATION image;
    if (CompareStringOrdinal(W(entry.exeName), -1, W(name), -1, TRUE) == CSTR_EQUAL &&
        ProcessImageIdentity(entry.pid, &image) && SameFile(image, file)) {
      return true;
    }
  }
  return false;
}

ProcessToken::~ProcessToken() { Reset(); }

ProcessToken::ProcessToken(ProcessToken&& other) noexcept { *this = std::move(other); }

ProcessToken& ProcessToken::operator=(ProcessToken&& other) noexcept {
  if (this != &other) {
    Reset();
    m_valid = other.m_valid;
    m_handle = other.m_handle;
    other.m_valid = false;
    other.m_handle = nullptr;
  }
  return *this;
}

void ProcessToken::Reset() {
  if (m_handle) CloseHandle(static_cast<HANDLE>(m_handle));
  m_handle = nullptr;
  m_valid = false;
}

bool OpenProcessToken(uint32_t pid, ProcessToken* token) {
  token->Reset();
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (process == nullptr) return false;
  HANDLE handle = nullptr;
  const BOOL opened = ::OpenProcessToken(process, TOKEN_ALL_ACCESS, &handle);
  CloseHandle(process);
  if (!opened) return false;
  token->m_handle = handle;
  token->m_valid = true;
  return true;
}

bool ImpersonateLoggedOnUser(const ProcessToken& token) {
  return token.m_valid && ::ImpersonateLoggedOnUser(static_cast<HANDLE>(token.m_handle));
}

bool RevertToSelf() { return ::RevertToSelf() != FALSE; }

bool QueryUserName(std::u16string* name) {
  wchar_t buffer[260];
  DWORD size = 260;
  if (!GetUserNameW(buffer, &size)) return false;
  *name = U(buffer);
  return true;
}

bool LookupAccountSidText(const std::u16string& accountName, std::u16string* sidText) {
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  LookupAccountNameW(nullptr, W(accountName), nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0) return false;
  std::vector<BYTE> sid(sidSize);
  std::vector<wchar_t> domain(domainSize + 1);
  if (!LookupAccountNameW(nullptr, W(accountName), sid.data(), &sidSize, domain.data(), &domainSize, &use)) {
    return false;
  }
  *sidText = SidText(sid.data());
  return !sidText->empty();
}

std::u16string CurrentUserSidText() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const std::vector<BYTE> user = TokenInformation(token, TokenUser);
  CloseHandle(token);
  if (user.empty()) return {};
  return SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

bool TerminateProcess(uint32_t pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return false;
  const BOOL ended = ::TerminateProcess(process, 0);
  CloseHandle(process);
  return ended != FALSE;
}

uint32_t GetProcessIntegrityRid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
  const std::vector<BYTE> label = TokenInformation(token, TokenIntegrityLevel);
  CloseHandle(token);
  if (label.empty()) return 0;
  PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
  return *GetSidSubAuthority(sid, 0);
}

bool SystemPredatesIntegrityLevels() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(&version) && version.dwMajorVersion < 6;
#pragma GCC diagnostic pop
}

bool ShellOpen(const std::u16string& file, const std::u16string& parameters) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", W(file), W(parameters), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool ShellRunAs(const std::u16string& file, const std::u16string& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);  // 60 bytes in the 32-bit program
  info.fMask = 0;
  info.lpVerb = L"runas";
  info.lpFile = W(file);
  info.lpParameters = W(parameters);
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

bool CCheckedProgram::Open(const std::u16string& path) {
  // Others may read and execute the file meanwhile, but neither write it nor
  // rename or delete it: the share mode grants reading only.
  return m_file.OpenRegularForReading(path);
}

namespace {

// The held file's own path, every junction and link on the way resolved
// (GetFinalPathNameByHandleW). While the file is held without delete
// sharing, none of the real folders on this path can be renamed or removed
// and the file cannot be replaced, so the path names the held file until it
// is released: a link in the data path, re-pointed after the check, cannot
// lead the start elsewhere.
std::u16string FinalPathOf(HANDLE file) {
  std::u16string path(32768, u'\0');
  const DWORD size = GetFinalPathNameByHandleW(file, win32::WBuffer(path), static_cast<DWORD>(path.size()),
                                               FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (size == 0 || size >= path.size()) return {};
  path.resize(size);
  // ShellExecuteW takes plain paths: "\\?\C:\..." and "\\?\UNC\host\..." lose
  // their prefix where the path fits the classic limit.
  if (path.rfind(u"\\\\?\\UNC\\", 0) == 0) {
    path = u"\\\\" + path.substr(8);
  } else if (path.rfind(u"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  return path.size() < MAX_PATH ? path : std::u16string();
}

}  // namespace

bool CCheckedProgram::StartHidden(const std::u16string& parameters) {
  if (!m_file.IsOpen()) return false;
  HANDLE held = reinterpret_cast<HANDLE>(m_file.Native());
  const std::u16string path = FinalPathOf(held);
  BY_HANDLE_FILE_INFORMATION checked{};
  if (path.empty() || !GetFileInformationByHandle(held, &checked)) {
    Close();
    return false;
  }
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = W(path);
  info.lpParameters = W(parameters);
  info.nShow = SW_HIDE;
  bool started = ShellExecuteExW(&info) != FALSE;
  if (started && info.hProcess != nullptr) {
    // A second guard: a process whose image is provably another file than
    // the one checked is ended at once.
    BY_HANDLE_FILE_INFORMATION ran{};
    if (ProcessImageIdentity(info.hProcess, &ran) && !SameFile(ran, checked)) {
      ::TerminateProcess(info.hProcess, 1);
      started = false;
    }
    CloseHandle(info.hProcess);
  }
  // The new process has its image mapped by now; the file may go.
  Close();
  return started;
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace platform
