// The zone dialog program, a COM local server. Started by COM ("-Embedding" or "/Automation") it
// serves its classes until the last object is released; "/RegServer" and "/UnregServer" write or
// remove the registration of its classes and of its type library; started any other way it ends
// at once.
#include <windows.h>

#include "classlib/ComServ.h"
#include "classlib/ComServApp.h"
#include "classlib/Forms.h"
#include "unicode/UtxForms.h"
#include "zonedialog/fVgtMainForm.h"
#include "zonedialog/oVgtZoneDialog.h"

namespace {

// Registration is asked for by a person or an installer: it is told why it failed.
void ReportRegistrationFailure(const WideString& Message) {
  MessageBoxW(nullptr, Message.c_str(), L"VgtDialog", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(CoInitialize(nullptr))) return 1;
  int exitCode = 0;
  try {
    ComServer().Prepare();
    ZoneDialogFactory();
    const TStartMode mode = ComServer().StartMode();
    try {
      Application->Initialize();
      UtxFormsStart();
      TComServerAppLink link(ComServer(), *Application);
      if (ComServer().Initialize()) {
        Application->SetShowMainForm(false);
        if (mode == TStartMode::smAutomation) {
          // COM started this program for the client that asked: when that process ends, its
          // object is let go even though the platform never releases the references it held.
          TZoneDialog::SetStartingClient(TZoneDialog::ParentProcessId());
          TfrmVgtMainForm* mainForm = nullptr;
          Application->CreateForm(mainForm);
          Application->Run();
        }
      }
      UtxFormsStop();
    } catch (...) {
      exitCode = 1;
      if (mode == TStartMode::smRegServer || mode == TStartMode::smUnregServer)
        ReportRegistrationFailure(ExceptionMessage(std::current_exception()));
    }
  } catch (...) {
    exitCode = 1;
  }
  ComServer().RevokeClassObjects();
  CoUninitialize();
  return exitCode;
}
