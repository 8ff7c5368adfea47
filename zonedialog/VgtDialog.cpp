#include <windows.h>

// Started without a switch, the zone dialog program ends at once.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return 0;
}
