#include "zonedialog/oVgtZoneDialog.h"

#include <tlhelp32.h>

#include <map>

#include "base/ComValues.h"
#include "classlib/ComServ.h"
#include "classlib/Forms.h"
#include "zonedialog/fVgtDialog.h"

namespace {

VARIANT_BOOL VariantBool(bool Value) { return Value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

namespace {

DWORD StartingClient = 0;

// The objects whose client is watched, by their timer.
std::map<UINT_PTR, TZoneDialog*>& Watched() {
  static std::map<UINT_PTR, TZoneDialog*> watched;
  return watched;
}

// How often a client is looked for: a dead client's server ends within this time.
constexpr UINT kWatchPeriod = 500;

HANDLE OpenToWait(DWORD ProcessId) {
  if (!ProcessId || ProcessId == GetCurrentProcessId()) return nullptr;
  return OpenProcess(SYNCHRONIZE, FALSE, ProcessId);
}

bool Ended(const TKernelHandle& Process) {
  return Process && WaitForSingleObject(Process.Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

void TZoneDialog::SetStartingClient(DWORD ProcessId) { StartingClient = ProcessId; }

DWORD TZoneDialog::ParentProcessId() {
  DWORD parent = 0;
  {
    const TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
      if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  if (!parent) return 0;
  // A process id comes again once its process ended: the parent must be older than this one.
  const TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, parent));
  if (!process) return 0;
  FILETIME parentStart{}, ownStart{}, unused1{}, unused2{}, unused3{};
  const bool older = GetProcessTimes(process.Get(), &parentStart, &unused1, &unused2, &unused3) &&
                     GetProcessTimes(GetCurrentProcess(), &ownStart, &unused1, &unused2, &unused3) &&
                     CompareFileTime(&parentStart, &ownStart) <= 0;
  return older ? parent : 0;
}

void TZoneDialog::Initialize() {
  TAutoImpl::Initialize();
  FClientProcess.Reset(OpenToWait(StartingClient));
  if (FClientProcess && !FWatchTimer) {
    FWatchTimer = SetTimer(nullptr, 0, kWatchPeriod, &TZoneDialog::WatchTick);
    if (FWatchTimer) Watched()[FWatchTimer] = this;
  }
}

void TZoneDialog::WatchWindow(HWND Window) {
  if (!Window || !IsWindow(Window)) return;
  DWORD owner = 0;
  GetWindowThreadProcessId(Window, &owner);
  FClientWindow = Window;
  FWindowProcess.Reset(OpenToWait(owner));
  if (!FWatchTimer) {
    FWatchTimer = SetTimer(nullptr, 0, kWatchPeriod, &TZoneDialog::WatchTick);
    if (FWatchTimer) Watched()[FWatchTimer] = this;
  }
}

void TZoneDialog::StopWatching() {
  if (FWatchTimer) {
    KillTimer(nullptr, FWatchTimer);
    Watched().erase(FWatchTimer);
    FWatchTimer = 0;
  }
  FClientProcess.Reset();
  FWindowProcess.Reset();
  FClientWindow = nullptr;
}

bool TZoneDialog::ClientGone() const {
  return (FClientWindow && !IsWindow(FClientWindow)) || Ended(FClientProcess) || Ended(FWindowProcess);
}

void TZoneDialog::LetGoOfDeadClient() {
  StopWatching();
  if (FDialog) {
    TfrmVgtDialog* dialog = FDialog;
    FDialog = nullptr;
    dialog->FreeWhenIdle();
  }
  // The stub's references, which the dead client would have released, go now; the last of them
  // frees this object and ends the program.
  AddRef();
  CoDisconnectObject(static_cast<IZoneDialog*>(this), 0);
  // References nobody will ever release again: a server started for the client ends as the
  // last release would have made it end.
  if (Release() > 0 && ComServer().StartMode() == TStartMode::smAutomation) Application->Terminate();
}

void CALLBACK TZoneDialog::WatchTick(HWND, UINT, UINT_PTR Timer, DWORD) {
  try {
    auto found = Watched().find(Timer);
    if (found == Watched().end()) {
      KillTimer(nullptr, Timer);
      return;
    }
    if (found->second->ClientGone()) found->second->LetGoOfDeadClient();
  } catch (...) {
    // A timer callback lets nothing escape; the next tick looks again.
  }
}

TZoneDialog::~TZoneDialog() {
  StopWatching();
  if (!FDialog) return;
  TfrmVgtDialog* dialog = FDialog;
  FDialog = nullptr;
  // The dialog stores the sub-domain choice as it goes; the object goes whether or not that
  // write succeeds.
  try {
    dialog->FreeWhenIdle();
  } catch (...) {
  }
}

void TZoneDialog::MakeDialog(HWND ParentWnd) {
  if (FDialog) return;
  FDialog = TfrmVgtDialog::CreateZoneDialog(Application, ParentWnd);
  WatchWindow(FDialog->ParentWnd());
}

HRESULT TZoneDialog::SetParentWindow(ULONG wnd) {
  // A window handle crosses as its 32 significant bits; a 64-bit receiver widens it with its sign,
  // as the system does (zero-filled, a handle with the top bit set would name no window).
  return SafeCall([&] {
    BeginCall(); MakeDialog(static_cast<HWND>(LongToHandle(static_cast<LONG>(wnd)))); });
}

HRESULT TZoneDialog::ShowDialog() {
  return SafeCall([&] {
    BeginCall();
    MakeDialog(nullptr);
    if (!FDialog->Visible()) FDialog->Show();
    FDialog->ShowRows();
  });
}

HRESULT TZoneDialog::DialogDone(VARIANT_BOOL* retval) {
  if (!retval) return E_POINTER;
  *retval = VARIANT_TRUE;
  return SafeCall([&] {
    BeginCall(); *retval = VariantBool(!FDialog || !FDialog->Visible()); });
}

HRESULT TZoneDialog::AddDomain(BSTR Domain, BSTR VGTDomain, LONG nScheme, ULONG Flags) {
  return SafeCall([&] {
    BeginCall();
    if (FDialog) FDialog->AddRow(BstrText(Domain), BstrText(VGTDomain), nScheme, Flags);
  });
}

HRESULT TZoneDialog::HighlevelDomains(VARIANT_BOOL* retval) {
  if (!retval) return E_POINTER;
  *retval = VARIANT_FALSE;
  return SafeCall([&] {
    BeginCall(); *retval = VariantBool(FDialog && FDialog->Highlevel()); });
}

HRESULT TZoneDialog::RefreshWanted(VARIANT_BOOL* ret) {
  if (!ret) return E_POINTER;
  *ret = VARIANT_FALSE;
  return SafeCall([&] {
    BeginCall(); *ret = VariantBool(FDialog && FDialog->TakeRefreshWanted()); });
}

TAutoObjectFactory& ZoneDialogFactory() {
  static TAutoObjectFactory factory(ComServer(), ComObjectCreator<TZoneDialog>(), CLSID_ZoneDialog, L"ZoneDialog",
                                    L"ZoneDialog Objekt", TClassInstancing::ciSingleInstance,
                                    TThreadingModel::tmSingle);
  return factory;
}
