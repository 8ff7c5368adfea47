// The zone dialog program as other processes meet it: registered by its own switch, activated
// through COM, and found among the running processes by the process list.
#pragma once

#include <windows.h>

#include <set>

#include "VgtDialog_h.h"
#include "classlib/ComObj.h"

// The running VgtDialog.exe processes.
std::set<DWORD> VgtDialogProcesses();

// A ZoneDialog object in a process of its own, with that process to wait on.
struct TActivatedZoneDialog {
  ComPtr<IZoneDialog> Object;
  HANDLE Process = nullptr;
  DWORD ProcessId = 0;
  TActivatedZoneDialog() = default;
  TActivatedZoneDialog(const TActivatedZoneDialog&) = delete;
  TActivatedZoneDialog& operator=(const TActivatedZoneDialog&) = delete;
  ~TActivatedZoneDialog();
};

// CoCreateInstance of ZoneDialog as a local server; the new process is the one that was not
// running before. HRESULT of the activation.
HRESULT ActivateZoneDialog(TActivatedZoneDialog& Result);
