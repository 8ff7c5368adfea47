// The test-only local server: the test object's class served the way the zone dialog program
// serves its own, by the class library's COM server under the application's message loop.
#include <windows.h>

#include <memory>

#include "TestObject.h"
#include "classlib/ComServApp.h"
#include "classlib/Forms.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(CoInitialize(nullptr))) return 3;
  int exitCode = 0;
  try {
    static const std::unique_ptr<TComObjectFactory> factory(MakeTestObjectFactory(ComServer()));
    Application->Initialize();
    TComServerAppLink link(ComServer(), *Application);
    if (ComServer().Initialize() && ComServer().StartMode() == TStartMode::smAutomation) Application->Run();
  } catch (...) {
    exitCode = 1;
  }
  ComServer().RevokeClassObjects();
  CoUninitialize();
  return exitCode;
}
