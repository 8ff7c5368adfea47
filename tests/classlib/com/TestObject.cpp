#include "TestObject.h"

#include <stdexcept>

#include "classlib/ComServ.h"

namespace {

// An exception whose message is wide text, as the system's own exceptions carry it.
class EWideTestError : public Exception {
  VGT_CLASS(EWideTestError, Exception)
 public:
  explicit EWideTestError(WideString Text) : Exception("wide"), FText(std::move(Text)) {}
  WideString WideMessage() const override { return FText; }

 private:
  WideString FText;
};

}  // namespace

HRESULT TTestObject::ProcessId(LONG* pid) {
  return SafeCall([&] {
    if (!pid) throw EOleSysError("pid", E_POINTER);
    *pid = static_cast<LONG>(GetCurrentProcessId());
  });
}

HRESULT TTestObject::Add(LONG a, LONG b, LONG* sum) {
  return SafeCall([&] {
    if (!sum) throw EOleSysError("sum", E_POINTER);
    *sum = a + b;
  });
}

HRESULT TTestObject::Echo(BSTR text, BSTR* copy) {
  return SafeCall([&] {
    if (!copy) throw EOleSysError("copy", E_POINTER);
    *copy = SysAllocStringLen(text, SysStringLen(text));
  });
}

HRESULT TTestObject::Fail(BSTR message) {
  return SafeCall([&] { throw EWideTestError(message ? message : L""); });
}

HRESULT TTestObject::FailWithCode(LONG code) {
  return SafeCall([&] { throw EOleSysError("code", static_cast<HRESULT>(code)); });
}

HRESULT TTestObject::FailOddly() {
  return SafeCall([&] { throw 42; });
}

TComObjectFactory* MakeTestObjectFactory(TComServer& Server) {
  return new TAutoObjectFactory(Server, ComObjectCreator<TTestObject>(), CLSID_TestObject, L"TestObject", L"",
                                TClassInstancing::ciSingleInstance);
}
