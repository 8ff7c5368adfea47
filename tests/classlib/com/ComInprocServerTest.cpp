// The test-only in-process server: registered through DllRegisterServer with its threading
// model, created by COM inside this process, kept loaded while an object lives, and removed by
// DllUnregisterServer without a key left behind.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/GuidText.h"
#include "base/Module.h"
#include "ComTestInproc.h"
#include "tests/support/ComTestSupport.h"
#include "classlib/ComObj.h"
#include "tests/support/ComEnvironment.h"

namespace {

using TEntry = HRESULT(WINAPI*)();
using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

class ComInprocServer : public ::testing::Test {
 protected:
  void SetUp() override {
    Path = TestProgramFolder() + L"ComTestInproc.dll";
    Module = TLibrary(LoadLibraryW(Path.c_str()));
    ASSERT_TRUE(Module);
    Register = Entry<TEntry>("DllRegisterServer");
    Unregister = Entry<TEntry>("DllUnregisterServer");
    CanUnload = Entry<TEntry>("DllCanUnloadNow");
    GetClassObject = Entry<TGetClassObject>("DllGetClassObject");
    ASSERT_TRUE(Register && Unregister && CanUnload && GetClassObject);
    ASSERT_EQ(Unregister(), S_OK);
  }
  void TearDown() override {
    if (Unregister) Unregister();
    // COM keeps its own hold on the library while it needs it.
    Module = TLibrary();
  }

  template <class F>
  F Entry(const char* Name) {
    return Module.Export<F>(Name);
  }

  WideString Path;
  TLibrary Module;
  TEntry Register = nullptr, Unregister = nullptr, CanUnload = nullptr;
  TGetClassObject GetClassObject = nullptr;
};

TEST_F(ComInprocServer, RegistrationNamesTheLibraryAndItsThreadingModel) {
  ASSERT_EQ(Register(), S_OK);
  const WideString classKey = L"CLSID\\" + GuidText(CLSID_InprocThing);
  EXPECT_EQ(RegText(classKey), L"Test In-Process");
  EXPECT_EQ(lstrcmpiW(RegText(classKey + L"\\InprocServer32").c_str(), Path.c_str()), 0);
  EXPECT_EQ(RegText(classKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(RegText(classKey + L"\\LocalServer32"), L"<missing>");
  // Without a type library the module's base name heads the ProgID, and no library is named.
  EXPECT_EQ(RegText(classKey + L"\\ProgID"), L"ComTestInproc.InprocThing");
  EXPECT_EQ(RegText(L"ComTestInproc.InprocThing\\Clsid"), GuidText(CLSID_InprocThing));
  EXPECT_EQ(RegText(classKey + L"\\TypeLib"), L"<missing>");
  EXPECT_EQ(RegText(classKey + L"\\Version"), L"<missing>");
}

TEST_F(ComInprocServer, ObjectsLiveInThisProcessAndKeepTheLibraryLoaded) {
  ASSERT_EQ(Register(), S_OK);
  ComPtr<IPersist> thing;
  ASSERT_EQ(CoCreateInstance(CLSID_InprocThing, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, &thing), S_OK);
  CLSID id = GUID_NULL;
  EXPECT_EQ(thing->GetClassID(&id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(id, CLSID_InprocThing));
  EXPECT_EQ(thing->GetClassID(nullptr), E_POINTER);
  EXPECT_EQ(CanUnload(), S_FALSE);

  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  thing.Reset();
  EXPECT_EQ(CanUnload(), S_OK);
  // The last release of a library's object must not end its host's message loop.
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  ComPtr<IClassFactory> factory;
  EXPECT_EQ(GetClassObject(CLSID_InprocThing, IID_IClassFactory, &factory), S_OK);
  ComPtr<IClassFactory> none;
  EXPECT_EQ(GetClassObject(IID_IPersist, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(ComInprocServer, UnregisteringLeavesNoKeyBehind) {
  const auto before = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  const auto beforeUser = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes");
  ASSERT_EQ(Register(), S_OK);
  EXPECT_NE(RegistrySnapshot(HKEY_CLASSES_ROOT, L""), before);
  ASSERT_EQ(Unregister(), S_OK);
  const auto after = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  std::vector<WideString> left;
  std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(left));
  EXPECT_TRUE(left.empty()) << left.size() << " lines differ";
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes"), beforeUser);
  ComPtr<IPersist> thing;
  EXPECT_EQ(CoCreateInstance(CLSID_InprocThing, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, &thing),
            REGDB_E_CLASSNOTREG);
}

TEST_F(ComInprocServer, ARegistrationNoPlaceTakesAnswersEFail) {
  // Below a volatile key no lasting key can be made, for the machine or for the user.
  const WideString classKey = L"CLSID\\" + GuidText(CLSID_InprocThing);
  for (const WideString& path : {classKey, L"Software\\Classes\\" + classKey}) {
    ASSERT_TRUE(MakeVolatileKey(path == classKey ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER, path));
  }
  EXPECT_EQ(Register(), E_FAIL);
  EXPECT_EQ(Unregister(), S_OK);
  EXPECT_EQ(RegText(classKey), L"<missing>");
  HKEY user = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + classKey).c_str(), 0, KEY_READ, &user),
            ERROR_FILE_NOT_FOUND);
}

}  // namespace
