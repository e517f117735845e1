// The program's manifest as Windows itself reads it: an activation context
// made from ORVUpdate.exe's resource RT_MANIFEST 1, asked for its DPI
// settings. Per-monitor awareness makes the system give the program each
// monitor's real DPI (the skin scales itself) instead of stretching a 96-DPI
// bitmap.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/child_process.h"

namespace {

class ManifestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = BuiltProgram("ORVUpdate.exe");
    const std::wstring path(program.begin(), program.end());
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    m_context = CreateActCtxW(&context);
    ASSERT_NE(m_context, INVALID_HANDLE_VALUE) << "no manifest in " << program << ": " << GetLastError();
  }
  void TearDown() override {
    if (m_context != INVALID_HANDLE_VALUE) ReleaseActCtx(m_context);
  }
  // The value of a windowsSettings element; empty when it is absent.
  std::wstring Setting(const wchar_t* nameSpace, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, m_context, nameSpace, name, value, ARRAYSIZE(value), &written)) return {};
    return value;
  }

  HANDLE m_context = INVALID_HANDLE_VALUE;
};

TEST_F(ManifestTest, DeclaresPerMonitorDpiAwareness) {
  // Windows 10 1703 on: the first form it knows wins.
  EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");
  // Windows 8.1 to 10 1607.
  EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

}  // namespace
