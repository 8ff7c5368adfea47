// VgtDialog.exe as the COM local server of ZoneDialog: registered by /regserver with the type
// library it carries (and the neutral-locale key the platform's marshaller looks for), one process
// per activation that ends when its client lets go, every method reached through the vtable and
// late bound, nothing left behind by /unregserver, and nothing shown when started by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/ComValues.h"
#include "base/GuidText.h"
#include "tests/support/ComEnvironment.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/ZoneDialogServerProcess.h"
#include "unicode/UtxWindows.h"

namespace {

constexpr DWORD kProcessEndTimeout = 20000;
const wchar_t* const kHost = L"vgt-zd-server.example";

WideString VgtDialogPath() { return ProgramBesideTest(L"VgtDialog.exe"); }

bool SamePath(const WideString& A, const WideString& B) { return lstrcmpiW(A.c_str(), B.c_str()) == 0; }

bool EndsInTime(HANDLE Process) { return Process && WaitForSingleObject(Process, kProcessEndTimeout) == WAIT_OBJECT_0; }

class ZoneDialogServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunAndWait(VgtDialogPath(), L"/regserver"), 0u); }
  static void TearDownTestSuite() { RunAndWait(VgtDialogPath(), L"/unregserver"); }
};

TEST_F(ZoneDialogServer, RegistrationNamesTheClassItsServerAndItsProgID) {
  const WideString cls = L"CLSID\\" + GuidText(CLSID_ZoneDialog);
  EXPECT_EQ(RegText(cls), L"ZoneDialog Objekt");
  EXPECT_EQ(lstrcmpiW(RegText(cls + L"\\LocalServer32").c_str(), VgtDialogPath().c_str()), 0);
  EXPECT_EQ(RegText(cls + L"\\LocalServer32", L"ThreadingModel"), L"<no value>");
  EXPECT_EQ(RegText(cls + L"\\ProgID"), L"VgtDialog.ZoneDialog");
  EXPECT_EQ(RegText(cls + L"\\Version"), L"1.0");
  EXPECT_EQ(RegText(cls + L"\\TypeLib"), GuidText(LIBID_VgtDialog));
  EXPECT_EQ(RegText(L"VgtDialog.ZoneDialog"), L"ZoneDialog Objekt");
  EXPECT_EQ(RegText(L"VgtDialog.ZoneDialog\\Clsid"), GuidText(CLSID_ZoneDialog));
}

TEST_F(ZoneDialogServer, EveryMethodThroughTheVtableInAProcessOfItsOwn) {
  TActivatedZoneDialog d;
  ASSERT_EQ(ActivateZoneDialog(d), S_OK);
  ASSERT_TRUE(d.Process);
  EXPECT_NE(d.ProcessId, GetCurrentProcessId());
  VARIANT_BOOL v = 7;
  EXPECT_EQ(d.Object->DialogDone(&v), S_OK);
  EXPECT_EQ(v, VARIANT_TRUE);
  TBstr before(L"before"), url(L"http://one.vgt-zd-server.example");
  EXPECT_EQ(d.Object->AddDomain(before.Get(), url.Get(), 3, 0), S_OK);  // no dialog yet: nothing
  EXPECT_EQ(d.Object->SetParentWindow(0), S_OK);
  EXPECT_EQ(d.Object->HighlevelDomains(&v), S_OK);
  EXPECT_TRUE(v == VARIANT_TRUE || v == VARIANT_FALSE);
  EXPECT_EQ(d.Object->DialogDone(&v), S_OK);
  EXPECT_EQ(v, VARIANT_TRUE);  // made hidden
  TBstr domain(L"one.vgt-zd-server.example"), wide(L"\x4E2D\x6587.vgt-zd-server.example");
  EXPECT_EQ(d.Object->AddDomain(domain.Get(), url.Get(), 3, 0x0C), S_OK);
  EXPECT_EQ(d.Object->AddDomain(wide.Get(), url.Get(), 4, 0x1FF), S_OK);
  EXPECT_EQ(d.Object->AddDomain(nullptr, nullptr, -1, 0), S_OK);
  EXPECT_EQ(d.Object->ShowDialog(), S_OK);
  EXPECT_EQ(d.Object->DialogDone(&v), S_OK);
  EXPECT_EQ(v, VARIANT_FALSE);
  EXPECT_EQ(d.Object->RefreshWanted(&v), S_OK);
  EXPECT_EQ(v, VARIANT_FALSE);
  // The client lets go while the dialog is up: the process ends.
  d.Object.Reset();
  EXPECT_TRUE(EndsInTime(d.Process));
  DWORD code = 99;
  GetExitCodeProcess(d.Process, &code);
  EXPECT_EQ(code, 0u);
}

TEST_F(ZoneDialogServer, EveryMethodLateBoundByNameAndDispid) {
  TActivatedZoneDialog d;
  ASSERT_EQ(ActivateZoneDialog(d), S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(d.Object.As(&dispatch), S_OK);
  const struct {
    const wchar_t* Name;
    DISPID Id;
  } methods[] = {{L"SetParentWindow", 201}, {L"ShowDialog", 202}, {L"DialogDone", 203},
                 {L"AddDomain", 204},       {L"RefreshWanted", 205}, {L"HighlevelDomains", 206}};
  for (const auto& m : methods) {
    LPOLESTR name = const_cast<LPOLESTR>(m.Name);
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK) << NarrowText(m.Name);
    EXPECT_EQ(id, m.Id) << NarrowText(m.Name);
  }
  auto invoke = [&](DISPID Id, std::vector<VARIANT> Args, VARIANT* Result) {
    return InvokeMethod(dispatch.Get(), Id, std::move(Args), Result, nullptr, LOCALE_USER_DEFAULT);
  };
  auto boolResult = [&](DISPID Id) {
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(invoke(Id, {}, &r), S_OK) << Id;
    EXPECT_EQ(r.vt, VT_BOOL) << Id;
    return r.boolVal;
  };
  EXPECT_EQ(invoke(201, {IntArg(0)}, nullptr), S_OK);
  EXPECT_EQ(boolResult(203), VARIANT_TRUE);
  TBstr domain(L"late.vgt-zd-server.example"), url(L"http://late.vgt-zd-server.example");
  EXPECT_EQ(invoke(204, {StringArg(domain.Get()), StringArg(url.Get()), IntArg(3), IntArg(0x84)}, nullptr), S_OK);
  EXPECT_EQ(invoke(202, {}, nullptr), S_OK);
  EXPECT_EQ(boolResult(203), VARIANT_FALSE);
  EXPECT_EQ(boolResult(205), VARIANT_FALSE);
  const VARIANT_BOOL high = boolResult(206);
  EXPECT_TRUE(high == VARIANT_TRUE || high == VARIANT_FALSE);
  dispatch.Reset();
  d.Object.Reset();
  EXPECT_TRUE(EndsInTime(d.Process));
}

TEST_F(ZoneDialogServer, EachActivationIsANewProcessThatEndsAtItsRelease) {
  TActivatedZoneDialog first, second;
  ASSERT_EQ(ActivateZoneDialog(first), S_OK);
  ASSERT_EQ(ActivateZoneDialog(second), S_OK);
  ASSERT_TRUE(first.Process && second.Process);
  EXPECT_NE(first.ProcessId, second.ProcessId);
  first.Object.Reset();
  EXPECT_TRUE(EndsInTime(first.Process));
  EXPECT_EQ(WaitForSingleObject(second.Process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  VARIANT_BOOL v = 7;
  EXPECT_EQ(second.Object->DialogDone(&v), S_OK);
  EXPECT_EQ(v, VARIANT_TRUE);
  second.Object.Reset();
  EXPECT_TRUE(EndsInTime(second.Process));
}

// The platform's COM never releases what a killed client held. The server notices that its
// client is gone, closes the dialog and ends; a client that lives and merely waits keeps its
// object and its dialog all the while.
TEST_F(ZoneDialogServer, AServerWhoseClientIsKilledWhileTheDialogShowsEnds) {
  TActivatedZoneDialog live;
  ASSERT_EQ(ActivateZoneDialog(live), S_OK);
  ASSERT_TRUE(live.Process);
  TBstr domain(L"live.vgt-zd-server.example"), url(L"http://live.vgt-zd-server.example");
  ASSERT_EQ(live.Object->SetParentWindow(0), S_OK);
  ASSERT_EQ(live.Object->AddDomain(domain.Get(), url.Get(), 3, 0), S_OK);
  ASSERT_EQ(live.Object->ShowDialog(), S_OK);

  const struct {
    const wchar_t* Binding;
    const wchar_t* Window;
  } clients[] = {{L"early", L"window"}, {L"late", L"nowindow"}, {L"early", L"nowindow"}, {L"late", L"window"}};
  for (const auto& c : clients) {
    SCOPED_TRACE(NarrowText(WideString(c.Binding) + L" " + c.Window));
    const WideString eventName = L"vgt-zd-client-ready-" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_TRUE(ready);
    const std::set<DWORD> before = VgtDialogProcesses();
    const TStartedProcess client(ProgramBesideTest(L"ZoneDialogClient.exe"),
                                 WideString(c.Binding) + L" " + c.Window + L" " + eventName);
    ASSERT_TRUE(client.Started());
    const HANDLE waits[] = {ready, client.Handle()};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
    EXPECT_EQ(woke, WAIT_OBJECT_0) << "the client ended or hung before its dialog showed";
    HANDLE server = nullptr;
    for (DWORD pid : VgtDialogProcesses())
      if (!before.count(pid)) server = OpenProcess(SYNCHRONIZE, FALSE, pid);
    EXPECT_TRUE(server);
    // kill -9: no release, no clean-up of its own.
    TerminateProcess(client.Handle(), 9);
    client.EndsWithin(INFINITE);
    EXPECT_TRUE(EndsInTime(server));
    if (server) CloseHandle(server);
    CloseHandle(ready);
  }

  // The waiting client's server ran its checks at least as long and still serves it.
  EXPECT_EQ(WaitForSingleObject(live.Process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  VARIANT_BOOL v = 7;
  EXPECT_EQ(live.Object->DialogDone(&v), S_OK);
  EXPECT_EQ(v, VARIANT_FALSE);
  live.Object.Reset();
  EXPECT_TRUE(EndsInTime(live.Process));
}

TEST(ZoneDialogProgram, StartedByHandItEndsAtOnceWithNoWindow) {
  for (const wchar_t* args : {L"", L"/nothing", L"-x /y"}) {
    const TStartedProcess program(VgtDialogPath(), args);
    ASSERT_TRUE(program.Started());
    // A program that makes a window and waits in its loop would not go idle and end.
    EXPECT_TRUE(program.EndsWithin(kProcessEndTimeout)) << NarrowText(args);
    EXPECT_EQ(program.ExitCode(99), 0u);
  }
  EXPECT_TRUE(VgtDialogProcesses().empty());
}

TEST(ZoneDialogProgram, RegistersItsTypeLibraryAndRemovesItWithoutATrace) {
  const WideString program = VgtDialogPath();
  ASSERT_EQ(RunAndWait(program, L"/unregserver"), 0u);
  const auto before = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  const auto beforeUser = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes");

  ASSERT_EQ(RunAndWait(program, L"/RegServer"), 0u);
  const WideString lib = L"TypeLib\\" + GuidText(LIBID_VgtDialog) + L"\\1.0";
  EXPECT_EQ(RegText(lib), L"VgtDialog Bibliothek");
  const WideString platform = TypeLibPlatformKey();
  EXPECT_TRUE(SamePath(RegText(lib + L"\\409\\" + platform), program));
  EXPECT_TRUE(SamePath(RegText(lib + L"\\0\\" + platform), program));
  EXPECT_TRUE(SamePath(RegText(lib + L"\\HELPDIR"), program.substr(0, program.find_last_of(L'\\'))));
  const WideString intf = L"Interface\\" + GuidText(IID_IZoneDialog);
  EXPECT_EQ(RegText(intf), L"IZoneDialog");
  EXPECT_EQ(RegText(intf + L"\\TypeLib"), GuidText(LIBID_VgtDialog));

  ASSERT_EQ(RunAndWait(program, L"-unregserver"), 0u);
  const auto after = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  std::vector<WideString> left;
  std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(left));
  EXPECT_TRUE(left.empty()) << left.size() << " lines differ";
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes"), beforeUser);
}

TEST(ZoneDialogProgram, UnregistrationLeavesNoKeyBehind) {
  ASSERT_EQ(RunAndWait(VgtDialogPath(), L"/unregserver"), 0u);
  const auto machine = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  const auto user = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes");
  ASSERT_EQ(RunAndWait(VgtDialogPath(), L"-REGSERVER"), 0u);
  EXPECT_NE(RegText(L"CLSID\\" + GuidText(CLSID_ZoneDialog)), L"<missing>");
  ASSERT_EQ(RunAndWait(VgtDialogPath(), L"/UnRegServer"), 0u);
  const auto after = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  std::vector<WideString> left;
  std::set_symmetric_difference(machine.begin(), machine.end(), after.begin(), after.end(), std::back_inserter(left));
  EXPECT_TRUE(left.empty()) << (left.empty() ? "" : NarrowText(left.front()));
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes"), user);
  EXPECT_EQ(RegText(L"CLSID\\" + GuidText(CLSID_ZoneDialog)), L"<missing>");
  EXPECT_EQ(RegText(L"VgtDialog.ZoneDialog"), L"<missing>");
}

}  // namespace
