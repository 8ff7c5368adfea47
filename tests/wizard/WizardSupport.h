// What the wizard's window tests share: the browser class and .NET level a new window sees, the
// window made and freed, clicks by messages, and the saved and restored machine state.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "unicode/UtxStdCtrls.h"
#include "wizard/fTunewrightWindow.h"

// The version the stand-in shdocvw.dll reports for each browser class.
void SetBrowserClass(int Class);
// Creates or deletes the .NET policy keys so that the level is Level (0, 1 or 2).
void SetDotNetLevel(int Level);

// The steps that do not apply for a browser class and .NET level: 6 and 7 need .NET, 13 needs
// class 4, 14 and 15 class 3 at most, 18 class 2 at least; with class 0 none applies.
bool StepSkipped(int Index, int IeClass, int NetLevel);

struct TFreeForm {
  void operator()(TCustomForm* Form) const { Form->Free(); }
};
using TWindowPtr = std::unique_ptr<TfrmtunewrightWindow, TFreeForm>;

// A new window, shown, its queued messages handled.
TWindowPtr OpenWizard();
// BM_CLICK on the control's window, then the queued messages (the posted focus move).
void ClickByMessage(TWinControl* Control);
void Pump();
bool ButtonEnabled(TWinControl* Button);
bool RadioChecked(TWinControl* Radio);

template <class T>
T* Part(TComponent* Root, const wchar_t* Name) {
  return FindDesigned<T>(Root, Name);
}

// The values of a registry key (HKCU), put back as they were when the object goes.
class TSavedRegistryValues {
 public:
  TSavedRegistryValues(HKEY Root, const std::wstring& Path);
  ~TSavedRegistryValues();
  TSavedRegistryValues(const TSavedRegistryValues&) = delete;
  TSavedRegistryValues& operator=(const TSavedRegistryValues&) = delete;

 private:
  struct TValue {
    std::wstring Name;
    DWORD Type;
    std::vector<BYTE> Data;
  };
  HKEY FRoot;
  std::wstring FPath;
  bool FExisted = false;
  std::vector<TValue> FValues;
};

// The machine state the wizard's tests change, saved for the program's run: the .NET keys, the
// product key's language and (for the real manager's tests) the three zones' policies.
class TWizardTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  bool FHadV10 = false, FHadV11 = false;
  std::unique_ptr<TSavedRegistryValues> FProduct;
};
