// Answers, as its exit code, the zone the platform's own security manager gives the URL named
// on its command line: a fresh process, so nothing a test process holds colours the answer.
// 100 and above: the manager could not be made (100), or MapUrlToZone failed (101).
#include <windows.h>
#include <urlmon.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 102;
  CoInitialize(nullptr);
  int result = 100;
  IInternetSecurityManager* manager = nullptr;
  if (SUCCEEDED(CoInternetCreateSecurityManager(nullptr, &manager, 0))) {
    DWORD zone = 0;
    result = SUCCEEDED(manager->MapUrlToZone(argv[1], &zone, 0)) ? static_cast<int>(zone) : 101;
    manager->Release();
  }
  CoUninitialize();
  return result;
}
