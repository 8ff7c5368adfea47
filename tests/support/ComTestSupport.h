// What the tests of COM servers (ours and the class library's test servers) share: programs beside
// the test program, processes waited on by handle, registry snapshots to compare before and after
// a registration, and owned strings to pass.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <set>
#include <string>

#include "classlib/System.h"

// The full path of the running test program.
WideString TestProgramPath();
// The folder of the running test program, with a trailing backslash.
WideString TestProgramFolder();
// The full path of the test-only local server.
WideString TestServerPath();

// The full path of a program beside the test program.
WideString ProgramBesideTest(const WideString& Name);

// Runs Program with Arguments, waits for it to end and answers its exit code (-1: not started).
DWORD RunAndWait(const WideString& Program, const WideString& Arguments);

// Every key and value below Root\Path, one line each ("key", "key|name|type|data"), with key
// paths relative to Root\Path. An absent key gives an empty set.
std::set<WideString> RegistrySnapshot(HKEY Root, const WideString& Path);

// The data of a string value below HKEY_CLASSES_ROOT (the key's default value without Value):
// "<missing>" when the key is absent, "<no value>" when the value is.
WideString RegText(const WideString& Key, const wchar_t* Value = nullptr);

// A BSTR owned for the time of a call (null without Text).
struct TBStr {
  BSTR Value = nullptr;
  explicit TBStr(const wchar_t* Text = nullptr) : Value(Text ? SysAllocString(Text) : nullptr) {}
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;
  ~TBStr() { SysFreeString(Value); }
};
