// Tunewright: the zone settings wizard. It takes no command-line arguments; whatever it is given
// is ignored.
#include <windows.h>

#include <exception>

#include "classlib/Forms.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxWindows.h"
#include "wizard/fTunewrightWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int result = 0;
  try {
    Application->Initialize();
    UtxFormsStart();
    TfrmtunewrightWindow* window = nullptr;
    Application->CreateForm(window);
    // The window has told why it cannot run; its message loop would show an empty window.
    if (window->StartFailed()) result = 1;
    else Application->Run();
    UtxFormsStop();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, WidenText(e.what()).c_str(), L"Tunewright", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    result = 1;
  }
  return result;
}
