// The class library's COM objects and server inside one process: start modes, object counting,
// the safe-call edge with its error information, IDispatch over the type library, the in-process
// entry points and the question before ending with live objects.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/ComValues.h"
#include "tests/support/ComTestSupport.h"
#include "TestObject.h"
#include "classlib/ComServ.h"
#include "classlib/ComServApp.h"
#include "classlib/Forms.h"
#include "tests/support/ComEnvironment.h"

namespace {

// A server of this process that reads the test object's type library from this program.
class ComObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Server = std::make_unique<TComServer>();
    Server->LoadTypeLib(TestProgramPath());
    ASSERT_NE(Server->TypeLib(), nullptr);
    Factory.reset(MakeTestObjectFactory(*Server));
  }
  void TearDown() override {
    Factory.reset();
    Server.reset();
  }

  ComPtr<ITestObject> Create() {
    ComPtr<ITestObject> object;
    EXPECT_EQ(Factory->CreateInstance(nullptr, IID_ITestObject, &object), S_OK);
    return object;
  }

  std::unique_ptr<TComServer> Server;
  std::unique_ptr<TComObjectFactory> Factory;
};

TEST(ComStartMode, SwitchesAreMatchedWithoutRegardToCase) {
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe /regserver"), TStartMode::smRegServer);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe -RegServer"), TStartMode::smRegServer);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe /UNREGSERVER"), TStartMode::smUnregServer);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe -Embedding"), TStartMode::smAutomation);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe /automation"), TStartMode::smAutomation);
  EXPECT_EQ(StartModeOfCommandLine(L"\"C:\\Program Files\\x\\prog.exe\" -EMBEDDING"), TStartMode::smAutomation);
}

TEST(ComStartMode, AnythingElseLeavesTheProgramStandalone) {
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe"), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L""), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(nullptr), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe regserver"), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe /regserverx"), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe / -"), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe \"/regserver now\""), TStartMode::smStandalone);
  // The program's own name is no switch.
  EXPECT_EQ(StartModeOfCommandLine(L"/regserver"), TStartMode::smStandalone);
  EXPECT_EQ(StartModeOfCommandLine(L"prog.exe /unknown /embedding"), TStartMode::smAutomation);
}

TEST_F(ComObjectTest, TheFactoryTakesItsNamesFromTheTypeLibrary) {
  EXPECT_EQ(Server->ServerName(), L"ComTestServer");
  EXPECT_EQ(Factory->ProgID(), L"ComTestServer.TestObject");
  EXPECT_EQ(Factory->Description(), L"TestObject Objekt");
  EXPECT_TRUE(IsEqualIID(Factory->ErrorIID(), IID_ITestObject));
  EXPECT_FALSE(Server->IsInprocServer());
}

TEST_F(ComObjectTest, ObjectsAreCountedWhileTheyLiveAndTheLastReleaseIsReported) {
  std::vector<bool> reports;
  Server->OnLastRelease = [&](bool& Shutdown) {
    reports.push_back(Shutdown);
    Shutdown = false;
  };
  ComPtr<ITestObject> a = Create(), b = Create();
  EXPECT_EQ(Server->ObjectCount(), 2);
  a.Reset();
  EXPECT_TRUE(reports.empty());
  b.Reset();
  EXPECT_EQ(Server->ObjectCount(), 0);
  // Started by hand, the last release does not end the program.
  EXPECT_EQ(reports, std::vector<bool>{false});

  Server->SetStartMode(TStartMode::smAutomation);
  Create().Reset();
  EXPECT_EQ(reports, (std::vector<bool>{false, true}));
}

TEST_F(ComObjectTest, TheLastReleaseOfAServerStartedByComEndsTheMessageLoop) {
  Server->SetStartMode(TStartMode::smAutomation);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  Create().Reset();
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(ComObjectTest, ServerLocksCountAsObjectsAndAggregationIsRefused) {
  EXPECT_EQ(Factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(Server->ObjectCount(), 1);
  EXPECT_EQ(Server->DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(Factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(Server->DllCanUnloadNow(), S_OK);

  ComPtr<ITestObject> outer = Create();
  void* inner = reinterpret_cast<void*>(1);
  EXPECT_EQ(Factory->CreateInstance(outer.Get(), IID_IUnknown, &inner), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(inner, nullptr);
  EXPECT_EQ(Server->ObjectCount(), 1);
}

TEST_F(ComObjectTest, AClassObjectIsHandedOutOnlyForItsOwnClass) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(Server->DllGetClassObject(CLSID_TestObject, IID_IClassFactory, &factory), S_OK);
  EXPECT_EQ(factory.Get(), static_cast<IClassFactory*>(Factory.get()));
  ComPtr<IClassFactory> none;
  EXPECT_EQ(Server->DllGetClassObject(IID_ITestObject, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  ComPtr<IUnknown> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
  ComPtr<ITestObject> typed;
  EXPECT_EQ(object.As(&typed), S_OK);
  ComPtr<IClassFactory> notThere;
  EXPECT_EQ(object.As(&notThere), E_NOINTERFACE);
}

TEST_F(ComObjectTest, MethodsWorkThroughTheVtable) {
  ComPtr<ITestObject> object = Create();
  LONG sum = 0;
  EXPECT_EQ(object->Add(40, 2, &sum), S_OK);
  EXPECT_EQ(sum, 42);
  TBstr text(L"Zone \x03c9\x4e2d"), copy;
  EXPECT_EQ(object->Echo(text.Get(), copy.Out()), S_OK);
  EXPECT_STREQ(copy.Get(), L"Zone \x03c9\x4e2d");
  EXPECT_EQ(object->Add(1, 2, nullptr), E_POINTER);
}

struct TErrorInfoText {
  GUID Guid = GUID_NULL;
  WideString Source, Description;
  bool Present = false;
};

TErrorInfoText TakeErrorInfo() {
  TErrorInfoText result;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return result;
  result.Present = true;
  info->GetGUID(&result.Guid);
  TBstr source, description;
  info->GetSource(source.Out());
  info->GetDescription(description.Out());
  if (source.Get()) result.Source = source.Get();
  if (description.Get()) result.Description = description.Get();
  return result;
}

TEST_F(ComObjectTest, AnExceptionBecomesAFailedResultWithErrorInformation) {
  ComPtr<ITestObject> object = Create();
  TBstr message(L"Kaputt \x03c9");
  EXPECT_EQ(object->Fail(message.Get()), E_UNEXPECTED);
  TErrorInfoText info = TakeErrorInfo();
  ASSERT_TRUE(info.Present);
  EXPECT_TRUE(IsEqualGUID(info.Guid, IID_ITestObject));
  EXPECT_EQ(info.Source, L"ComTestServer.TestObject");
  EXPECT_EQ(info.Description, L"Kaputt \x03c9");

  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(object.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITestObject), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
}

TEST_F(ComObjectTest, TheCodeOfAComErrorIsPassedOnOnlyWhenItIsAFailure) {
  ComPtr<ITestObject> object = Create();
  EXPECT_EQ(object->FailWithCode(E_ACCESSDENIED), E_ACCESSDENIED);
  EXPECT_TRUE(TakeErrorInfo().Present);
  // A success code thrown as an error must still reach the caller as a failure.
  EXPECT_EQ(object->FailWithCode(S_FALSE), E_UNEXPECTED);
  EXPECT_EQ(object->FailWithCode(S_OK), E_UNEXPECTED);
  // Something that is not an exception class still ends at the edge.
  EXPECT_EQ(object->FailOddly(), E_UNEXPECTED);
  TErrorInfoText info = TakeErrorInfo();
  EXPECT_TRUE(info.Present);
  EXPECT_EQ(info.Description, L"");
  // The object goes on working after its failures.
  LONG sum = 0;
  EXPECT_EQ(object->Add(1, 2, &sum), S_OK);
  EXPECT_EQ(sum, 3);
}

TEST_F(ComObjectTest, IDispatchIsServedFromTheTypeLibrary) {
  ComPtr<ITestObject> object = Create();
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);
  // A dual interface: IDispatch is the same vtable.
  EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), static_cast<IUnknown*>(object.Get()));

  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
  TBstr name;
  info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
  EXPECT_STREQ(name.Get(), L"ITestObject");
  ComPtr<ITypeInfo> none;
  EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &none), DISP_E_BADINDEX);

  struct {
    const wchar_t* Name;
    DISPID Id;
  } const names[] = {{L"Add", 10}, {L"ADD", 10}, {L"processid", 11}, {L"Echo", 12}, {L"FailOddly", 15}};
  for (const auto& n : names) {
    LPOLESTR text = const_cast<LPOLESTR>(n.Name);
    DISPID id = -1;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &text, 1, 0, &id), S_OK) << n.Name;
    EXPECT_EQ(id, n.Id) << n.Name;
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"Subtract");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_ITestObject, &unknown, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(ComObjectTest, InvokeByDispidReachesTheMethodAndReportsItsException) {
  ComPtr<ITestObject> object = Create();
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);

  TVariant result;
  EXPECT_EQ(InvokeMethod(dispatch.Get(), 10, {IntArg(40), IntArg(2)}, result.Out()), S_OK);
  EXPECT_EQ(result->vt, VT_I4);
  EXPECT_EQ(result->lVal, 42);

  EXPECT_EQ(InvokeMethod(dispatch.Get(), 99, {IntArg(40), IntArg(2)}, result.Out()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeMethod(dispatch.Get(), 10, {IntArg(40), IntArg(2)}, result.Out(), nullptr, 0, IID_ITestObject),
            DISP_E_UNKNOWNINTERFACE);

  const TBstr message(L"Kein Anschluss");
  TExcepInfo excep;
  EXPECT_EQ(InvokeMethod(dispatch.Get(), 13, {StringArg(message.Get())}, nullptr, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_UNEXPECTED);
  ASSERT_NE(excep.bstrDescription, nullptr);
  EXPECT_STREQ(excep.bstrDescription, L"Kein Anschluss");
}

TEST_F(ComObjectTest, TheObjectDescribesItsClass) {
  ComPtr<ITestObject> object = Create();
  ComPtr<IProvideClassInfo> provide;
  ASSERT_EQ(object.As(&provide), S_OK);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(provide->GetClassInfo(&info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_TestObject));
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  info->ReleaseTypeAttr(attr);
}

TEST_F(ComObjectTest, AFactoryWithoutItsClassInTheTypeLibraryFailsCleanly) {
  TAutoObjectFactory stray(*Server, ComObjectCreator<TTestObject>(), IID_ITestObject, L"Stray", L"",
                           TClassInstancing::ciMultiInstance);
  ComPtr<IUnknown> object;
  // The object can be made, but its IDispatch has no description to serve.
  ASSERT_EQ(stray.CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);
  UINT count = 5;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  LPOLESTR name = const_cast<LPOLESTR>(L"Add");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  EXPECT_THROW(stray.Description(), EOleSysError);
}

// ---- Ending with live objects ----

struct TBoxAnswer {
  int Button = IDNO;
  int Shown = 0;
  WideString Text;
  UINT Style = 0;
};
TBoxAnswer* CurrentAnswer = nullptr;
HHOOK BoxHook = nullptr;

// Reads the box once its dialog set itself up (the text and the buttons it keeps), then answers.
LRESULT CALLBACK AnswerBox(int Code, WPARAM W, LPARAM L) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(L);
  if (Code == HC_ACTION && call->message == WM_INITDIALOG && CurrentAnswer) {
    HWND wnd = call->hwnd;
    wchar_t cls[16] = {};
    GetClassNameW(wnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && CurrentAnswer->Shown == 0) {
      ++CurrentAnswer->Shown;
      wchar_t text[1024] = {};
      GetDlgItemTextW(wnd, 0xFFFF, text, 1024);
      CurrentAnswer->Text = text;
      auto shown = [wnd](int Id) {
        HWND button = GetDlgItem(wnd, Id);
        return button && (GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE) != 0;
      };
      CurrentAnswer->Style = (shown(IDYES) ? 1u : 0u) | (shown(IDNO) ? 2u : 0u) | (shown(IDOK) ? 4u : 0u);
      PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(CurrentAnswer->Button, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(BoxHook, Code, W, L);
}

bool AskToEnd(TComServer& Server, TBoxAnswer& Answer) {
  CurrentAnswer = &Answer;
  BoxHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerBox, nullptr, GetCurrentThreadId());
  const bool result = Server.CanEnd();
  UnhookWindowsHookEx(BoxHook);
  CurrentAnswer = nullptr;
  return result;
}

TEST_F(ComObjectTest, WithoutLiveObjectsTheProgramEndsWithoutAsking) {
  TBoxAnswer answer;
  EXPECT_TRUE(AskToEnd(*Server, answer));
  EXPECT_EQ(answer.Shown, 0);
}

TEST_F(ComObjectTest, WithLiveObjectsOnlyYesEndsTheProgram) {
  ComPtr<ITestObject> object = Create();
  TBoxAnswer no;
  no.Button = IDNO;
  EXPECT_FALSE(AskToEnd(*Server, no));
  EXPECT_EQ(no.Shown, 1);
  EXPECT_EQ(no.Style, 3u) << "a Yes/No box";
  EXPECT_NE(no.Text.find(L"COM-Objekte"), WideString::npos);
  EXPECT_NE(no.Text.find(L"trotzdem beendet"), WideString::npos);

  TBoxAnswer yes;
  yes.Button = IDYES;
  EXPECT_TRUE(AskToEnd(*Server, yes));
  EXPECT_EQ(yes.Shown, 1);
  // Asking changes nothing about the objects.
  EXPECT_EQ(Server->ObjectCount(), 1);
}

TEST_F(ComObjectTest, TheApplicationAsksBeforeItEndsWithLiveObjectsAndEndsAtTheLastRelease) {
  Application->Initialize();
  TComServerAppLink link(*Server, *Application);
  Server->SetStartMode(TStartMode::smAutomation);
  ComPtr<ITestObject> object = Create();

  TBoxAnswer no;
  no.Button = IDNO;
  CurrentAnswer = &no;
  BoxHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerBox, nullptr, GetCurrentThreadId());
  const LRESULT refused = SendMessageW(Application->Handle(), WM_QUERYENDSESSION, 0, 0);
  TBoxAnswer yes;
  yes.Button = IDYES;
  CurrentAnswer = &yes;
  const LRESULT allowed = SendMessageW(Application->Handle(), WM_QUERYENDSESSION, 0, 0);
  UnhookWindowsHookEx(BoxHook);
  CurrentAnswer = nullptr;
  EXPECT_EQ(no.Shown, 1);
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(yes.Shown, 1);
  EXPECT_NE(allowed, 0);
  EXPECT_FALSE(Application->Terminated());

  object.Reset();
  EXPECT_TRUE(Application->Terminated());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
