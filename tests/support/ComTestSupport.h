// What the tests of COM servers (ours and the class library's test servers) share: programs beside
// the test program, processes waited on by handle, registry snapshots to compare before and after
// a registration, and late-bound calls with what they give back.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <set>
#include <string>
#include <vector>

#include "classlib/System.h"

// The full path of the running test program.
WideString TestProgramPath();
// The folder of the running test program, with a trailing backslash.
WideString TestProgramFolder();
// The full path of the test-only local server.
WideString TestServerPath();

// The full path of a program beside the test program.
WideString ProgramBesideTest(const WideString& Name);

// Program started with Arguments (its command line: the quoted program, a blank, the arguments);
// its handles are closed with the object, the process is left to run.
class TStartedProcess {
 public:
  TStartedProcess(const WideString& Program, const WideString& Arguments);
  ~TStartedProcess();
  TStartedProcess(const TStartedProcess&) = delete;
  TStartedProcess& operator=(const TStartedProcess&) = delete;
  bool Started() const { return FInfo.hProcess != nullptr; }
  HANDLE Handle() const { return FInfo.hProcess; }
  // Waits up to TimeoutMs for the end; true when it ended.
  bool EndsWithin(DWORD TimeoutMs) const;
  // The exit code (STILL_ACTIVE while it runs; Fallback when it cannot be read).
  DWORD ExitCode(DWORD Fallback = static_cast<DWORD>(-1)) const;

 private:
  PROCESS_INFORMATION FInfo{};
};

// Runs Program with Arguments, waits for it to end and answers its exit code (-1: not started).
DWORD RunAndWait(const WideString& Program, const WideString& Arguments);

// Every key and value below Root\Path, one line each ("key", "key|name|type|data"), with key
// paths relative to Root\Path. An absent key gives an empty set.
std::set<WideString> RegistrySnapshot(HKEY Root, const WideString& Path);

// The data of a string value below Root (the key's default value without Value): "<missing>"
// when the key is absent, "<no value>" when the value is.
WideString RegText(HKEY Root, const WideString& Key, const wchar_t* Value = nullptr);
// Makes Root\Path a volatile key, so that a registration below it fails where it is refused.
// Missing keys above it are made first as lasting ones: made on the way to a volatile key they
// would be volatile too, and nothing lasting could be written below them afterwards.
bool MakeVolatileKey(HKEY Root, const WideString& Path);

// The same below HKEY_CLASSES_ROOT, where registrations are read.
WideString RegText(const WideString& Key, const wchar_t* Value = nullptr);

// The platform key under which a type library's path is registered for a program of this
// build's bitness ("<version>\<locale>\win32" or "\win64"): a 64-bit client's marshaller looks
// under win64.
inline const wchar_t* TypeLibPlatformKey() { return sizeof(void*) == 8 ? L"win64" : L"win32"; }

// An EXCEPINFO for IDispatch::Invoke to fill; its texts are freed with it.
struct TExcepInfo : EXCEPINFO {
  TExcepInfo() : EXCEPINFO{} {}
  ~TExcepInfo() {
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
  }
  TExcepInfo(const TExcepInfo&) = delete;
  TExcepInfo& operator=(const TExcepInfo&) = delete;
};

// Arguments of a late-bound call; a string argument stays owned by the caller.
VARIANT IntArg(LONG Value);
VARIANT StringArg(BSTR Value);

// IDispatch::Invoke of the method Id with Args in the order of its parameters (they travel last
// first); Result and Excep as Invoke takes them.
HRESULT InvokeMethod(IDispatch* Dispatch, DISPID Id, std::vector<VARIANT> Args, VARIANT* Result = nullptr,
                     EXCEPINFO* Excep = nullptr, LCID Locale = 0, REFIID Iid = IID_NULL);
