// COM objects and their class factories: reference counting, interface lookup, the safe-call
// edge that turns every exception into an HRESULT with the thread's error information, and the
// factories that create objects for COM and write their registration.
//
// A class lists its interfaces through TComImpl (or TAutoImpl for a dual automation interface)
// and wraps every method body in SafeCall, so that no C++ exception crosses a COM method:
//
//   class TThing : public TComImpl<TComObject, IThing> {
//     HRESULT STDMETHODCALLTYPE Do() override { return SafeCall([&] { ... }); }
//   };
#pragma once

#include <exception>
#include <functional>
#include <utility>

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "base/ComEdge.h"
#include "classlib/SysUtils.h"

using Microsoft::WRL::ComPtr;

class TComServer;
class TComObjectFactory;

// A failure of a COM call.
class EOleError : public Exception {
  VGT_CLASS(EOleError, Exception)
 public:
  using Exception::Exception;
};
// A failed HRESULT as an exception; the safe-call edge hands ErrorCode back to the COM caller.
class EOleSysError : public EOleError {
  VGT_CLASS(EOleSysError, EOleError)
 public:
  // The system's text for the code, with the code.
  explicit EOleSysError(HRESULT errorCode);
  EOleSysError(AnsiString message, HRESULT errorCode) : EOleError(std::move(message)), ErrorCode(errorCode) {}
  HRESULT ErrorCode;
};
// A registration key that could be written neither for the machine nor for the user.
VGT_EXCEPTION(EOleRegistrationError, EOleSysError);

// Raises EOleSysError (with the system's text) for a failed HRESULT and gives back a successful one.
HRESULT OleCheck(HRESULT Result);

// The HRESULT for an exception caught at a COM method's edge: the code of an EOleSysError when
// that code is a failure, else E_UNEXPECTED. The thread's error information is set with the
// interface, the source and the exception's message.
HRESULT HandleSafeCallException(std::exception_ptr Error, REFIID ErrorIID, const WideString& Source) noexcept;

// The message of a caught exception as wide text ("" for one that is not a std::exception).
WideString ExceptionMessage(std::exception_ptr Error);

enum class TClassInstancing { ciInternal, ciSingleInstance, ciMultiInstance };
enum class TThreadingModel { tmSingle, tmApartment, tmFree, tmBoth, tmNeutral };

// The root of our COM objects. It counts its own references and, when a factory made it, keeps
// the server's object count while it lives. Objects start with no reference; the first
// QueryInterface or AddRef gives the first one.
class TComObject : public TObject, public ISupportErrorInfo {
  VGT_CLASS(TComObject, TObject)
 public:
  TComObject() = default;
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;
  ~TComObject() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  TComObjectFactory* Factory() const { return FFactory; }
  ULONG RefCount() const { return FRefCount; }

  // Second phase of construction, run by the factory once the object is complete: ties it to
  // the factory (counting it in the server) and runs Initialize.
  void InitializeFromFactory(TComObjectFactory* Factory);

  // Runs Body and answers S_OK, or the HRESULT of SafeCallException for whatever it raised.
  template <class F>
  HRESULT SafeCall(F&& Body) noexcept {
    return AnswerAtComEdge(std::forward<F>(Body),
                           [this](std::exception_ptr Error) { return SafeCallException(Error); });
  }

 protected:
  // Set-up that needs the complete object (virtual calls); the object is not yet handed out.
  virtual void Initialize() {}
  // The interface pointer for riid without an added reference, or nullptr.
  virtual void* ObjQueryInterface(REFIID riid);
  // Turns an exception from a method body into the method's HRESULT and the error information.
  virtual HRESULT SafeCallException(std::exception_ptr Error);

 private:
  TComObjectFactory* FFactory = nullptr;
  ULONG FRefCount = 0;
};

// Adds the interfaces Interfaces... to the object class Base: it answers QueryInterface for each
// (by __uuidof) and supplies the IUnknown methods that every interface declares.
template <class Base, class... Interfaces>
class TComImpl : public Base, public Interfaces... {
 public:
  using Base::Base;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return Base::QueryInterface(riid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

 protected:
  void* ObjQueryInterface(REFIID riid) override {
    void* found = nullptr;
    ((found = found ? found : (IsEqualIID(riid, __uuidof(Interfaces)) ? static_cast<Interfaces*>(this) : nullptr)), ...);
    return found ? found : Base::ObjQueryInterface(riid);
  }
};

// The class object COM asks for instances. One factory per class, made once while the program
// or library starts and kept until it ends; it registers itself with its server on creation.
class TComObjectFactory : public TObject, public IClassFactory {
  VGT_CLASS(TComObjectFactory, TObject)
 public:
  using TCreator = std::function<TComObject*()>;

  TComObjectFactory(TComServer& Server, TCreator Creator, REFCLSID ClassID, WideString ClassName,
                    WideString Description, TClassInstancing Instancing,
                    TThreadingModel ThreadingModel = TThreadingModel::tmSingle);
  ~TComObjectFactory() override;
  TComObjectFactory(const TComObjectFactory&) = delete;
  TComObjectFactory& operator=(const TComObjectFactory&) = delete;

  // The factory lives as long as its server: its own references are not counted.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID riid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL Lock) override;

  // Creates an object (no aggregation) and answers its IUnknown with one reference.
  ComPtr<IUnknown> CreateComObject();

  TComServer& ComServer() const { return FServer; }
  const CLSID& ClassID() const { return FClassID; }
  const WideString& ClassName() const { return FClassName; }
  virtual WideString Description() const { return FDescription; }
  TClassInstancing Instancing() const { return FInstancing; }
  TThreadingModel ThreadingModel() const { return FThreadingModel; }
  // The server's name, a point and the class name ("" for an internal class).
  WideString ProgID() const;
  // The interface whose identifier the error information of this class's objects carries.
  virtual IID ErrorIID() const { return IID_NULL; }

  // Makes the class object known to COM (local server only; nothing for an internal class).
  void RegisterClassObject();
  void RevokeClassObject();
  // Writes or removes the class's keys. Removal ignores failures.
  virtual void UpdateRegistry(bool Register);

 private:
  TComServer& FServer;
  TCreator FCreator;
  CLSID FClassID;
  WideString FClassName;
  WideString FDescription;
  TClassInstancing FInstancing;
  TThreadingModel FThreadingModel;
  DWORD FRegister = 0;
};

// A factory whose class is described by a coclass of the server's type library: the
// description comes from the coclass's help string, and the registration names the library.
class TTypedComObjectFactory : public TComObjectFactory {
  VGT_CLASS(TTypedComObjectFactory, TComObjectFactory)
 public:
  using TComObjectFactory::TComObjectFactory;

  // The coclass's type information; raises when the server's library does not describe it.
  ComPtr<ITypeInfo> ClassInfo() const;
  WideString Description() const override;
  void UpdateRegistry(bool Register) override;

 private:
  mutable ComPtr<ITypeInfo> FClassInfo;
};

// An object of a typed class: it describes itself through IProvideClassInfo.
class TTypedComObject : public TComImpl<TComObject, IProvideClassInfo> {
  VGT_CLASS(TTypedComObject, TComObject)
 public:
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
};

// The factory of an automation class: it also finds the type information of the class's default
// interface, through which the objects serve IDispatch.
class TAutoObjectFactory : public TTypedComObjectFactory {
  VGT_CLASS(TAutoObjectFactory, TTypedComObjectFactory)
 public:
  using TTypedComObjectFactory::TTypedComObjectFactory;

  // The vtable description of the default interface; raises when the coclass has none.
  ComPtr<ITypeInfo> DispTypeInfo() const;
  const IID& DispIntfID() const;
  IID ErrorIID() const override { return DispIntfID(); }

 private:
  void FindDefaultInterface() const;
  mutable ComPtr<ITypeInfo> FDispTypeInfo;
  mutable IID FDispIntfID = IID_NULL;
};

// An automation object: IDispatch is served from the type library's description of the default
// interface, so a call by name or DISPID reaches the same method as a call through the vtable.
// Derive through TAutoImpl, which puts these methods into the dual interface's own vtable.
class TAutoObject : public TTypedComObject {
  VGT_CLASS(TAutoObject, TTypedComObject)
 protected:
  HRESULT DispGetTypeInfoCount(UINT* pctinfo);
  HRESULT DispGetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
  HRESULT DispGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
  HRESULT DispInvoke(void* Instance, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

 private:
  ITypeInfo* TypeInfo();
};

// The object class Base (a TAutoObject) with the dual interface Dual and further interfaces.
template <class Base, class Dual, class... Others>
class TAutoImpl : public TComImpl<Base, Dual, Others...> {
  using Impl = TComImpl<Base, Dual, Others...>;

 public:
  using Impl::Impl;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override { return this->DispGetTypeInfoCount(pctinfo); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override {
    return this->DispGetTypeInfo(iTInfo, lcid, ppTInfo);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override {
    return this->DispGetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                   UINT* puArgErr) override {
    return this->DispInvoke(static_cast<Dual*>(this), dispIdMember, riid, lcid, wFlags, pDispParams,
                            pVarResult, pExcepInfo, puArgErr);
  }

 protected:
  void* ObjQueryInterface(REFIID riid) override {
    if (IsEqualIID(riid, IID_IDispatch)) return static_cast<Dual*>(this);
    return Impl::ObjQueryInterface(riid);
  }
};

// Makes a factory's creator for the object class T.
template <class T>
TComObjectFactory::TCreator ComObjectCreator() {
  return [] { return static_cast<TComObject*>(new T); };
}
