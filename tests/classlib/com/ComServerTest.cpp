// The test-only local server across processes: registered by its own /regserver, activated by
// COM once per client in a process of its own that ends when the client lets go, called early
// and late bound, and removed by /unregserver without a key left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "base/ComValues.h"
#include "base/GuidText.h"
#include "ComTestServer_h.h"
#include "tests/support/ComTestSupport.h"
#include "classlib/ComObj.h"
#include "tests/support/ComEnvironment.h"

namespace {

struct THandle {
  HANDLE Value = nullptr;
  explicit THandle(HANDLE H) : Value(H) {}
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  ~THandle() {
    if (Value) CloseHandle(Value);
  }
};

constexpr DWORD kProcessEndTimeout = 20000;

// The process that serves Object, opened to be waited on.
HANDLE ServerProcessOf(ITestObject* Object) {
  LONG pid = 0;
  if (Object->ProcessId(&pid) != S_OK) return nullptr;
  return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(pid));
}

class ComServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunAndWait(TestServerPath(), L"/regserver"), 0u); }
  static void TearDownTestSuite() { RunAndWait(TestServerPath(), L"/unregserver"); }

  static ComPtr<ITestObject> Activate() {
    ComPtr<ITestObject> object;
    EXPECT_EQ(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestObject, &object), S_OK);
    return object;
  }
};

TEST_F(ComServerTest, RegistrationWritesTheClassTheProgIDAndTheTypeLibrary) {
  const WideString classKey = L"CLSID\\" + GuidText(CLSID_TestObject);
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey), L"TestObject Objekt");
  EXPECT_EQ(lstrcmpiW(RegText(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32").c_str(), TestServerPath().c_str()), 0);
  // A local server has no threading model.
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", L"ThreadingModel"), L"<no value>");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"), L"<missing>");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\ProgID"), L"ComTestServer.TestObject");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\Version"), L"1.0");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib"), GuidText(LIBID_ComTestServer));
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"ComTestServer.TestObject"), L"TestObject Objekt");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, L"ComTestServer.TestObject\\Clsid"), GuidText(CLSID_TestObject));
  const WideString libKey = L"TypeLib\\" + GuidText(LIBID_ComTestServer) + L"\\1.0";
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, libKey), L"ComTestServer Bibliothek");
  const WideString platform = TypeLibPlatformKey();
  EXPECT_EQ(lstrcmpiW(RegText(HKEY_CLASSES_ROOT, libKey + L"\\409\\" + platform).c_str(), TestServerPath().c_str()), 0);
  // The neutral-locale key the platform's marshaller looks for.
  EXPECT_EQ(lstrcmpiW(RegText(HKEY_CLASSES_ROOT, libKey + L"\\0\\" + platform).c_str(), TestServerPath().c_str()), 0);
}

TEST_F(ComServerTest, EachActivationRunsInAProcessOfItsOwnThatEndsAtTheRelease) {
  ComPtr<ITestObject> first = Activate(), second = Activate();
  ASSERT_TRUE(first && second);
  THandle firstProcess(ServerProcessOf(first.Get())), secondProcess(ServerProcessOf(second.Get()));
  ASSERT_TRUE(firstProcess.Value && secondProcess.Value);
  EXPECT_NE(GetProcessId(firstProcess.Value), GetProcessId(secondProcess.Value));
  EXPECT_NE(GetProcessId(firstProcess.Value), GetCurrentProcessId());

  first.Reset();
  EXPECT_EQ(WaitForSingleObject(firstProcess.Value, kProcessEndTimeout), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(firstProcess.Value, &code);
  EXPECT_EQ(code, 0u);
  // The other client's server is not touched by that.
  EXPECT_EQ(WaitForSingleObject(secondProcess.Value, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  LONG sum = 0;
  EXPECT_EQ(second->Add(1, 1, &sum), S_OK);
  EXPECT_EQ(sum, 2);
  second.Reset();
  EXPECT_EQ(WaitForSingleObject(secondProcess.Value, kProcessEndTimeout), WAIT_OBJECT_0);
}

TEST_F(ComServerTest, MethodsAnswerEarlyAndLateBound) {
  ComPtr<ITestObject> object = Activate();
  ASSERT_TRUE(object);
  THandle process(ServerProcessOf(object.Get()));
  LONG sum = 0;
  EXPECT_EQ(object->Add(-5, 12, &sum), S_OK);
  EXPECT_EQ(sum, 7);
  TBstr text(L"Zone \x03c9\x4e2d \x00fc"), copy;
  EXPECT_EQ(object->Echo(text.Get(), copy.Out()), S_OK);
  EXPECT_STREQ(copy.Get(), text.Get());

  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"add");
  DISPID id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 10);
  TVariant result;
  ASSERT_EQ(InvokeMethod(dispatch.Get(), id, {IntArg(4), IntArg(3)}, result.Out(), nullptr, LOCALE_USER_DEFAULT),
            S_OK);
  EXPECT_EQ(result->vt, VT_I4);
  EXPECT_EQ(result->lVal, 7);

  ASSERT_EQ(InvokeMethod(dispatch.Get(), 11, {}, result.Out()), S_OK);
  EXPECT_EQ(result->vt, VT_I4);
  EXPECT_EQ(static_cast<DWORD>(result->lVal), GetProcessId(process.Value));
}

TEST_F(ComServerTest, AnExceptionInTheServerArrivesAsAFailedResultWithItsText) {
  ComPtr<ITestObject> object = Activate();
  ASSERT_TRUE(object);
  TBstr message(L"Fehler im Server \x03c9");
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(object->Fail(message.Get()), E_UNEXPECTED);
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(object.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITestObject), S_OK);
  // Windows hands the server's error information to the client with the failed call. Wine's
  // marshaller drops it; there the late-bound call below is what carries the text across.
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    TBstr description, source;
    info->GetDescription(description.Out());
    info->GetSource(source.Out());
    EXPECT_STREQ(description.Get(), message.Get());
    EXPECT_STREQ(source.Get(), L"ComTestServer.TestObject");
  }

  EXPECT_EQ(object->FailWithCode(E_ACCESSDENIED), E_ACCESSDENIED);

  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);
  TExcepInfo excep;
  EXPECT_EQ(InvokeMethod(dispatch.Get(), 13, {StringArg(message.Get())}, nullptr, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_UNEXPECTED);
  ASSERT_NE(excep.bstrDescription, nullptr);
  EXPECT_STREQ(excep.bstrDescription, message.Get());

  // The server lives on after its failures.
  LONG sum = 0;
  EXPECT_EQ(object->Add(2, 2, &sum), S_OK);
  EXPECT_EQ(sum, 4);
}

// ---- Registration and removal ----

struct TClassesSnapshot {
  std::set<WideString> Machine, User;
};

TClassesSnapshot SnapshotClasses() {
  return {RegistrySnapshot(HKEY_CLASSES_ROOT, L""), RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes")};
}

std::vector<WideString> Difference(const std::set<WideString>& A, const std::set<WideString>& B) {
  std::vector<WideString> out;
  std::set_symmetric_difference(A.begin(), A.end(), B.begin(), B.end(), std::back_inserter(out));
  return out;
}

std::string Narrow(const std::vector<WideString>& Lines) {
  std::string out;
  for (const WideString& l : Lines) {
    for (wchar_t c : l) out += c < 128 ? static_cast<char>(c) : '?';
    out += '\n';
  }
  return out;
}

TEST(ComServerRegistration, UnregisteringLeavesNoKeyBehind) {
  // The suite above may still be registered when tests run in another order.
  ASSERT_EQ(RunAndWait(TestServerPath(), L"/unregserver"), 0u);
  const TClassesSnapshot before = SnapshotClasses();

  ASSERT_EQ(RunAndWait(TestServerPath(), L"/regserver"), 0u);
  // Registering twice changes nothing.
  const TClassesSnapshot once = SnapshotClasses();
  ASSERT_EQ(RunAndWait(TestServerPath(), L"/REGSERVER"), 0u);
  EXPECT_TRUE(Difference(once.Machine, SnapshotClasses().Machine).empty());
  EXPECT_FALSE(Difference(before.Machine, once.Machine).empty());

  ASSERT_EQ(RunAndWait(TestServerPath(), L"-UnRegServer"), 0u);
  const TClassesSnapshot after = SnapshotClasses();
  EXPECT_TRUE(Difference(before.Machine, after.Machine).empty()) << Narrow(Difference(before.Machine, after.Machine));
  EXPECT_TRUE(Difference(before.User, after.User).empty()) << Narrow(Difference(before.User, after.User));

  ComPtr<ITestObject> object;
  EXPECT_EQ(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestObject, &object),
            REGDB_E_CLASSNOTREG);
  // Removing what is not there is no failure either.
  EXPECT_EQ(RunAndWait(TestServerPath(), L"/unregserver"), 0u);
}

TEST(ComServerRegistration, StartedWithoutASwitchTheServerEndsAtOnce) {
  EXPECT_EQ(RunAndWait(TestServerPath(), L""), 0u);
  EXPECT_EQ(RunAndWait(TestServerPath(), L"/unknown"), 0u);
}

TEST(ComServerRegistration, AServerInAFolderWithABlankRegistersAPathCOMCanStart) {
  ASSERT_EQ(RunAndWait(TestServerPath(), L"/unregserver"), 0u);
  const WideString folder = TestProgramFolder() + L"com server copy";
  const WideString copy = folder + L"\\ComTestServer.exe";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(TestServerPath().c_str(), copy.c_str(), FALSE));

  ASSERT_EQ(RunAndWait(copy, L"/regserver"), 0u);
  const WideString registered =
      RegText(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_TestObject) + L"\\LocalServer32");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(copy.c_str(), shortPath, MAX_PATH), 0u);
  // COM puts its switch after this text: the path must not split at the blank.
  EXPECT_EQ(registered.find(L' '), WideString::npos) << Narrow({registered});
  EXPECT_EQ(lstrcmpiW(registered.c_str(), shortPath), 0) << Narrow({registered});
  {
    ComPtr<ITestObject> object;
    ASSERT_EQ(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestObject, &object), S_OK);
    THandle process(ServerProcessOf(object.Get()));
    ASSERT_TRUE(process.Value);
    object.Reset();
    EXPECT_EQ(WaitForSingleObject(process.Value, kProcessEndTimeout), WAIT_OBJECT_0);
  }
  EXPECT_EQ(RunAndWait(copy, L"/unregserver"), 0u);
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

}  // namespace
