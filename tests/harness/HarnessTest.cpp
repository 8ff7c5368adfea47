// Checks the ground every other test stands on: windows exist, the Wine prefix is new for each
// run, and a program copy made for another Windows version is told that version.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring ProgramName() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, n);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

TEST(Harness, WindowKeepsCaptionOutsideCodePage) {
  // Greek omega and a CJK character have no form in code page 1252.
  const wchar_t* caption = L"\u03C9 \u4E2D \u0416";
  HWND wnd = CreateWindowExW(0, L"STATIC", caption, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(wnd, nullptr) << "no display: the suite must run under Xvfb";
  wchar_t back[64] = {};
  GetWindowTextW(wnd, back, 64);
  EXPECT_STREQ(back, caption);
  DestroyWindow(wnd);
}

TEST(Harness, PrefixIsFreshForEachRun) {
  // Each program copy uses its own value, so copies running side by side do not meet. The value
  // holds the run it was written in: CTest may repeat this test within one run of the harness,
  // but a value from another run means the prefix was not made anew.
  const std::wstring key = L"Software\\VeilgateHarness";
  const std::wstring value = ProgramName();
  const char* runId = std::getenv("VGT_RUN_ID");
  ASSERT_NE(runId, nullptr) << "run through tools/test.sh, which names each run";
  const std::wstring thisRun(runId, runId + std::strlen(runId));
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &h, nullptr),
            ERROR_SUCCESS);
  wchar_t stored[128] = {};
  DWORD size = sizeof stored - sizeof *stored;
  DWORD type = 0;
  const LONG found = RegQueryValueExW(h, value.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(stored), &size);
  if (found == ERROR_SUCCESS) {
    EXPECT_EQ(std::wstring(stored), thisRun)
        << "a value from an earlier run is still there: the prefix was not made anew";
  } else {
    EXPECT_EQ(found, ERROR_FILE_NOT_FOUND);
    RegSetValueExW(h, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(thisRun.c_str()),
                   static_cast<DWORD>((thisRun.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(h);
}

// A copy whose version never reached the prefix runs as the default version and passes the
// tests of another platform in silence; each copy checks the version it was made for.
TEST(Harness, ProgramCopySeesItsWindowsVersion) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  const char* env = std::getenv("VGT_WINVER");
  const std::string wanted = env ? env : "";
  const struct {
    const char* Name;
    DWORD Platform, Major, Minor;
  } kVersions[] = {{"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10},
                   {"win2k", VER_PLATFORM_WIN32_NT, 5, 0},
                   {"winxp", VER_PLATFORM_WIN32_NT, 5, 1}};
  for (const auto& v : kVersions) {
    if (wanted != v.Name) continue;
    EXPECT_EQ(info.dwPlatformId, v.Platform) << v.Name;
    EXPECT_EQ(info.dwMajorVersion, v.Major) << v.Name;
    EXPECT_EQ(info.dwMinorVersion, v.Minor) << v.Name;
    return;
  }
  EXPECT_TRUE(wanted.empty()) << "no expected version for the copy " << wanted;
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

}  // namespace
