#include "tests/support/ZoneDialogServerProcess.h"

#include <tlhelp32.h>

std::set<DWORD> VgtDialogProcesses() {
  std::set<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (lstrcmpiW(entry.szExeFile, L"VgtDialog.exe") == 0) found.insert(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

TActivatedZoneDialog::~TActivatedZoneDialog() {
  Object.Reset();
  if (Process) CloseHandle(Process);
}

HRESULT ActivateZoneDialog(TActivatedZoneDialog& Result) {
  const std::set<DWORD> before = VgtDialogProcesses();
  const HRESULT hr = CoCreateInstance(CLSID_ZoneDialog, nullptr, CLSCTX_LOCAL_SERVER, IID_IZoneDialog,
                                      reinterpret_cast<void**>(Result.Object.GetAddressOf()));
  if (FAILED(hr)) return hr;
  for (DWORD pid : VgtDialogProcesses())
    if (!before.count(pid)) {
      Result.ProcessId = pid;
      Result.Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    }
  return hr;
}
