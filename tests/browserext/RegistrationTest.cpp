// Veilgate.dll's registration: exactly the class keys of its two classes, with their ProgIDs;
// never the browser's own lists of buttons and helper objects; and removal leaves the registry
// as it was. Runs under a lock of its own, since the keys are the prefix's, shared by every test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/GuidText.h"
#include "base/Module.h"
#include "base/RegKey.h"
#include "browserext/oVeilgate.h"
#include "tests/support/ComEnvironment.h"

namespace {

WideString LibraryPath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString p(path, n);
  return p.substr(0, p.find_last_of(L"\\/")) + L"\\Veilgate.dll";
}

// The default (or named) text value of a key, and whether it is there.
struct Value {
  bool Present = false;
  WideString Text;
  bool operator==(const Value&) const = default;
};

Value ReadValue(HKEY root, const WideString& key, const wchar_t* name = nullptr) {
  Value v;
  TRegKey k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, k.Out()) != ERROR_SUCCESS) return v;
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    v.Present = true;
    v.Text = buffer;
  } else {
    v.Present = true;  // the key exists, without that value
  }
  return v;
}

bool KeyExists(HKEY root, const WideString& key) {
  TRegKey k;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, k.Out()) == ERROR_SUCCESS;
}

// Every sub-key name below a key, recursively, as paths: a picture of a branch to compare.
void Walk(HKEY root, const WideString& key, std::vector<WideString>& out) {
  std::vector<WideString> names;
  {
    TRegKey k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, k.Out()) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(k.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
  }
  for (const auto& n : names) {
    out.push_back(key + L"\\" + n);
    Walk(root, key + L"\\" + n, out);
  }
}

std::vector<WideString> Picture() {
  std::vector<WideString> out;
  const wchar_t* const browserLists[] = {
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
      L"Software\\Microsoft\\Internet Explorer\\Extensions",
      L"Software\\Microsoft\\Internet Explorer\\Toolbar"};
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const wchar_t* list : browserLists) {
      out.push_back(KeyExists(root, list) ? WideString(L"+") + list : WideString(L"-") + list);
      Walk(root, list, out);
    }
  for (const WideString& key : {WideString(L"CLSID\\") + GuidText(CLSID_vgtToolbutton),
                                WideString(L"CLSID\\") + GuidText(CLSID_vgtBrowserObserver),
                                WideString(L"Veilgate.vgtToolbutton"),
                                WideString(L"Veilgate.vgtBrowserObserver")}) {
    for (HKEY root : {HKEY_CLASSES_ROOT}) {
      out.push_back((KeyExists(root, key) ? L"+" : L"-") + key);
      Walk(root, key, out);
    }
  }
  return out;
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    FModule = TLibrary(LoadLibraryW(LibraryPath().c_str()));
    ASSERT_TRUE(FModule);
  }
  void TearDown() override { FModule = TLibrary(); }
  HRESULT Call(const char* name) {
    return FModule.Export<EntryPoint>(name)();
  }
  TLibrary FModule;
};

TEST_F(Registration, WritesTheTwoClassesAndRemovesThemAgain) {
  const std::vector<WideString> before = Picture();
  ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_vgtToolbutton)))
      << "left by an earlier run";

  ASSERT_EQ(Call("DllRegisterServer"), S_OK);
  struct Class {
    CLSID Id;
    const wchar_t* Name;
    const wchar_t* Description;
  };
  for (const Class& c : {Class{CLSID_vgtToolbutton, L"vgtToolbutton", L"Veilgate Button"},
                         Class{CLSID_vgtBrowserObserver, L"vgtBrowserObserver", L"Veilgate"}}) {
    SCOPED_TRACE(std::wstring(c.Name));
    const WideString id = GuidText(c.Id), key = L"CLSID\\" + id;
    const WideString progID = WideString(L"Veilgate.") + c.Name;
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, key), (Value{true, c.Description}));
    const Value server = ReadValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32");
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, server.Text.c_str(), -1,
                             LibraryPath().c_str(), -1),
              CSTR_EQUAL)
        << "server " << std::string(server.Text.begin(), server.Text.end());
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"),
              (Value{true, L"Apartment"}));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, key + L"\\ProgID"), (Value{true, progID}));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, progID + L"\\Clsid"), (Value{true, id}));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, progID), (Value{true, c.Description}));
  }
  // Registered, the class is made through COM by its identifier.
  ComPtr<IOleCommandTarget> button;
  EXPECT_EQ(CoCreateInstance(CLSID_vgtToolbutton, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&button)), S_OK);
  button.Reset();
  CoFreeUnusedLibraries();

  ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
  EXPECT_EQ(Picture(), before);
  // Removing what is not there is no failure.
  EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
  EXPECT_EQ(Picture(), before);
}

}  // namespace
