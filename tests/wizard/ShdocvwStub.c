/* A stand-in for the browser's shdocvw.dll that reports the version named by the variable
   VGT_SHDOCVW_VERSION ("major.minor", or "fail" for a failing call). Built once with the export
   and once without it. */
#include <windows.h>
#include <shlwapi.h>

#include <stdio.h>
#include <string.h>

#ifndef VGT_STUB_WITHOUT_EXPORT
HRESULT CALLBACK DllGetVersion(DLLVERSIONINFO* Info) {
  char text[64];
  unsigned major = 6, minor = 0;
  DWORD n = GetEnvironmentVariableA("VGT_SHDOCVW_VERSION", text, sizeof text);
  if (n && n < sizeof text) {
    if (strcmp(text, "fail") == 0) return E_FAIL;
    if (sscanf(text, "%u.%u", &major, &minor) != 2) return E_FAIL;
  }
  /* The real export refuses a record whose size it does not know. */
  if (!Info || Info->cbSize != sizeof(DLLVERSIONINFO)) return E_INVALIDARG;
  Info->dwMajorVersion = major;
  Info->dwMinorVersion = minor;
  Info->dwBuildNumber = 1234;
  Info->dwPlatformID = DLLVER_PLATFORM_WINDOWS;
  return S_OK;
}
#else
HRESULT CALLBACK DllCanUnloadNow(void) { return S_FALSE; }
#endif

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) {
  (void)Instance;
  (void)Reason;
  (void)Reserved;
  return TRUE;
}
