#include "classlib/ComObj.h"

#include "base/ComValues.h"
#include "base/GuidText.h"
#include "base/Scope.h"
#include "base/TextConversion.h"
#include "classlib/ComReg.h"
#include "classlib/ComServ.h"

namespace {

AnsiString SystemErrorText(HRESULT Code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(Code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  auto release = ScopeExit([buffer] {
    if (buffer) LocalFree(buffer);
  });
  AnsiString text;
  if (n && buffer) {
    text.assign(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
      text.pop_back();
  }
  char code[32];
  wsprintfA(code, "$%08X", static_cast<unsigned>(Code));
  return text.empty() ? AnsiString("OLE-Fehler ") + code : text + " (" + code + ")";
}

}  // namespace

EOleSysError::EOleSysError(HRESULT errorCode) : EOleError(SystemErrorText(errorCode)), ErrorCode(errorCode) {}

HRESULT OleCheck(HRESULT Result) {
  if (FAILED(Result)) throw EOleSysError(Result);
  return Result;
}


WideString ExceptionMessage(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const Exception& e) {
    return e.WideMessage();
  } catch (const std::exception& e) {
    return CodePageToWide(e.what(), CP_ACP);
  } catch (...) {
  }
  return {};
}

HRESULT HandleSafeCallException(std::exception_ptr Error, REFIID ErrorIID, const WideString& Source) noexcept {
  HRESULT result = E_UNEXPECTED;
  try {
    std::rethrow_exception(Error);
  } catch (const EOleSysError& e) {
    if (FAILED(e.ErrorCode)) result = e.ErrorCode;
  } catch (...) {
  }
  try {
    const WideString message = ExceptionMessage(Error);
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      create->SetGUID(ErrorIID);
      create->SetSource(const_cast<LPOLESTR>(Source.c_str()));
      create->SetDescription(const_cast<LPOLESTR>(message.c_str()));
      ComPtr<IErrorInfo> info;
      if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    }
  } catch (...) {
    // Out of memory for the text: the caller still gets the failure, without its description.
  }
  return result;
}

// ---- TComObject ----

TComObject::~TComObject() {
  if (FFactory) FFactory->ComServer().CountObject(false);
}

void TComObject::InitializeFromFactory(TComObjectFactory* Factory) {
  FFactory = Factory;
  if (FFactory) FFactory->ComServer().CountObject(true);
  Initialize();
}

HRESULT TComObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = ObjQueryInterface(riid);
  if (!*ppv) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TComObject::AddRef() { return InterlockedIncrement(reinterpret_cast<LONG*>(&FRefCount)); }

ULONG TComObject::Release() {
  const ULONG n = InterlockedDecrement(reinterpret_cast<LONG*>(&FRefCount));
  if (n == 0) delete this;
  return n;
}

HRESULT TComObject::InterfaceSupportsErrorInfo(REFIID riid) {
  if (FFactory && IsEqualIID(riid, FFactory->ErrorIID()) && !IsEqualIID(riid, IID_NULL)) return S_OK;
  return S_FALSE;
}

void* TComObject::ObjQueryInterface(REFIID riid) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISupportErrorInfo))
    return static_cast<ISupportErrorInfo*>(this);
  return nullptr;
}

HRESULT TComObject::SafeCallException(std::exception_ptr Error) {
  if (!FFactory) return HandleSafeCallException(Error, IID_NULL, {});
  IID iid = IID_NULL;
  WideString source;
  try {
    iid = FFactory->ErrorIID();
    source = FFactory->ProgID();
  } catch (...) {
    // The error still reaches the caller, only without the interface and the source.
  }
  return HandleSafeCallException(Error, iid, source);
}

// ---- TComObjectFactory ----

TComObjectFactory::TComObjectFactory(TComServer& Server, TCreator Creator, REFCLSID ClassID, WideString ClassName,
                                     WideString Description, TClassInstancing Instancing,
                                     TThreadingModel ThreadingModel)
    : FServer(Server),
      FCreator(std::move(Creator)),
      FClassID(ClassID),
      FClassName(std::move(ClassName)),
      FDescription(std::move(Description)),
      FInstancing(Instancing),
      FThreadingModel(ThreadingModel) {
  FServer.AddFactory(this);
}

TComObjectFactory::~TComObjectFactory() {
  RevokeClassObject();
  FServer.RemoveFactory(this);
}

HRESULT TComObjectFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT TComObjectFactory::CreateInstance(IUnknown* Outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (Outer) return CLASS_E_NOAGGREGATION;
  try {
    ComPtr<IUnknown> object = CreateComObject();
    return object->QueryInterface(riid, ppv);
  } catch (...) {
    return HandleSafeCallException(std::current_exception(), IID_IClassFactory, ProgID());
  }
}

HRESULT TComObjectFactory::LockServer(BOOL Lock) {
  FServer.CountObject(Lock != FALSE);
  return S_OK;
}

ComPtr<IUnknown> TComObjectFactory::CreateComObject() {
  if (!FCreator) throw EOleSysError("Klasse kann nicht erzeugt werden", E_NOTIMPL);
  TComObject* object = FCreator();
  // The object counts as ours from here: a reference now lets a failing Initialize free it.
  ComPtr<IUnknown> unknown(static_cast<ISupportErrorInfo*>(object));
  object->InitializeFromFactory(this);
  return unknown;
}

WideString TComObjectFactory::ProgID() const {
  if (FClassName.empty() || FInstancing == TClassInstancing::ciInternal) return {};
  return FServer.ServerName() + L"." + FClassName;
}

void TComObjectFactory::RegisterClassObject() {
  if (FRegister || FInstancing == TClassInstancing::ciInternal) return;
  const DWORD flags = FInstancing == TClassInstancing::ciSingleInstance ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE;
  OleCheck(CoRegisterClassObject(FClassID, static_cast<IClassFactory*>(this), CLSCTX_LOCAL_SERVER, flags,
                                 &FRegister));
}

void TComObjectFactory::RevokeClassObject() {
  if (!FRegister) return;
  CoRevokeClassObject(FRegister);
  FRegister = 0;
}

void TComObjectFactory::UpdateRegistry(bool Register) {
  if (FInstancing == TClassInstancing::ciInternal) return;
  const WideString classID = GuidText(FClassID);
  const WideString classKey = L"CLSID\\" + classID;
  const WideString progID = ProgID();
  const WideString serverKey = classKey + (FServer.IsInprocServer() ? L"\\InprocServer32" : L"\\LocalServer32");
  if (Register) {
    const WideString description = Description();
    CreateRegKey(classKey, L"", description);
    WideString path = FServer.ServerFileName();
    if (!FServer.IsInprocServer() && path.find(L' ') != WideString::npos) {
      // The command line COM builds from this value must not split at the blank.
      wchar_t shortPath[MAX_PATH] = {};
      if (GetShortPathNameW(path.c_str(), shortPath, MAX_PATH) > 0) path = shortPath;
    }
    CreateRegKey(serverKey, L"", path);
    if (FServer.IsInprocServer()) {
      static const wchar_t* const kModels[] = {L"", L"Apartment", L"Free", L"Both", L"Neutral"};
      const WideString model = kModels[static_cast<int>(FThreadingModel)];
      if (!model.empty()) CreateRegKey(serverKey, L"ThreadingModel", model);
    }
    if (!progID.empty()) {
      CreateRegKey(progID, L"", description);
      CreateRegKey(progID + L"\\Clsid", L"", classID);
      CreateRegKey(classKey + L"\\ProgID", L"", progID);
    }
  } else {
    if (!progID.empty()) {
      DeleteRegKey(classKey + L"\\ProgID");
      DeleteRegKey(progID + L"\\Clsid");
      DeleteRegKey(progID);
    }
    DeleteRegKey(serverKey);
    DeleteRegKey(classKey);
  }
}

// ---- TTypedComObjectFactory ----

ComPtr<ITypeInfo> TTypedComObjectFactory::ClassInfo() const {
  if (!FClassInfo) {
    ITypeLib* lib = ComServer().TypeLib();
    if (!lib) throw EOleSysError("Keine Typbibliothek", TYPE_E_LIBNOTREGISTERED);
    ComPtr<ITypeInfo> info;
    OleCheck(lib->GetTypeInfoOfGuid(ClassID(), &info));
    TYPEATTR* attr = nullptr;
    OleCheck(info->GetTypeAttr(&attr));
    const TYPEKIND kind = attr->typekind;
    info->ReleaseTypeAttr(attr);
    // An identifier that names an interface of the library is no class of it.
    if (kind != TKIND_COCLASS) throw EOleSysError("Keine Klasse in der Typbibliothek", TYPE_E_WRONGTYPEKIND);
    FClassInfo = info;
  }
  return FClassInfo;
}

WideString TTypedComObjectFactory::Description() const {
  TBstr doc;
  ComPtr<ITypeInfo> info = ClassInfo();
  if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, nullptr, doc.Out(), nullptr, nullptr)) && doc.Get() &&
      *doc.Get())
    return doc.Get();
  return ClassName() + L" Objekt";
}

void TTypedComObjectFactory::UpdateRegistry(bool Register) {
  if (Instancing() == TClassInstancing::ciInternal) return;
  const WideString classKey = L"CLSID\\" + GuidText(ClassID());
  if (Register) {
    TComObjectFactory::UpdateRegistry(true);
    TLIBATTR* attr = nullptr;
    ITypeLib* lib = ComServer().TypeLib();
    if (!lib) throw EOleSysError("Keine Typbibliothek", TYPE_E_LIBNOTREGISTERED);
    OleCheck(lib->GetLibAttr(&attr));
    wchar_t version[32];
    wsprintfW(version, L"%d.%d", attr->wMajorVerNum, attr->wMinorVerNum);
    const WideString libID = GuidText(attr->guid);
    lib->ReleaseTLibAttr(attr);
    CreateRegKey(classKey + L"\\Version", L"", version);
    CreateRegKey(classKey + L"\\TypeLib", L"", libID);
  } else {
    DeleteRegKey(classKey + L"\\TypeLib");
    DeleteRegKey(classKey + L"\\Version");
    TComObjectFactory::UpdateRegistry(false);
  }
}

// ---- TTypedComObject ----

HRESULT TTypedComObject::GetClassInfo(ITypeInfo** ppTI) {
  if (!ppTI) return E_POINTER;
  *ppTI = nullptr;
  auto* factory = dynamic_cast<TTypedComObjectFactory*>(Factory());
  if (!factory) return E_NOTIMPL;
  return SafeCall([&] { *ppTI = factory->ClassInfo().Detach(); });
}

// ---- TAutoObjectFactory ----

void TAutoObjectFactory::FindDefaultInterface() const {
  if (FDispTypeInfo) return;
  ComPtr<ITypeInfo> classInfo = ClassInfo();
  TYPEATTR* attr = nullptr;
  OleCheck(classInfo->GetTypeAttr(&attr));
  const WORD count = attr->cImplTypes;
  classInfo->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    if (FAILED(classInfo->GetImplTypeFlags(i, &flags))) continue;
    if (!(flags & IMPLTYPEFLAG_FDEFAULT) || (flags & IMPLTYPEFLAG_FSOURCE)) continue;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> info;
    OleCheck(classInfo->GetRefTypeOfImplType(i, &ref));
    OleCheck(classInfo->GetRefTypeInfo(ref, &info));
    OleCheck(info->GetTypeAttr(&attr));
    const TYPEKIND kind = attr->typekind;
    const bool dual = (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
    const IID iid = attr->guid;
    info->ReleaseTypeAttr(attr);
    if (kind == TKIND_DISPATCH && dual) {
      // ITypeInfo::Invoke calls through the vtable, so it needs the interface's own description.
      ComPtr<ITypeInfo> vtable;
      OleCheck(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
      OleCheck(info->GetRefTypeInfo(ref, &vtable));
      info = vtable;
    } else if (kind != TKIND_INTERFACE) {
      throw EOleSysError("Standardschnittstelle ist nicht dual", TYPE_E_WRONGTYPEKIND);
    }
    FDispIntfID = iid;
    FDispTypeInfo = info;
    return;
  }
  throw EOleSysError("Keine Standardschnittstelle", TYPE_E_ELEMENTNOTFOUND);
}

ComPtr<ITypeInfo> TAutoObjectFactory::DispTypeInfo() const {
  FindDefaultInterface();
  return FDispTypeInfo;
}

const IID& TAutoObjectFactory::DispIntfID() const {
  FindDefaultInterface();
  return FDispIntfID;
}

// ---- TAutoObject ----

ITypeInfo* TAutoObject::TypeInfo() {
  auto* factory = dynamic_cast<TAutoObjectFactory*>(Factory());
  if (!factory) return nullptr;
  try {
    return factory->DispTypeInfo().Get();
  } catch (...) {
    return nullptr;
  }
}

HRESULT TAutoObject::DispGetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = TypeInfo() ? 1 : 0;
  return S_OK;
}

HRESULT TAutoObject::DispGetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  if (iTInfo != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = TypeInfo();
  if (!info) return E_NOTIMPL;
  info->AddRef();
  *ppTInfo = info;
  return S_OK;
}

HRESULT TAutoObject::DispGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!rgszNames || !rgDispId) return E_POINTER;
  ITypeInfo* info = TypeInfo();
  if (!info) return E_NOTIMPL;
  return info->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

HRESULT TAutoObject::DispInvoke(void* Instance, DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                UINT* puArgErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* info = TypeInfo();
  if (!info) return E_NOTIMPL;
  // A stale error from an earlier call must not be taken for this call's.
  SetErrorInfo(0, nullptr);
  return info->Invoke(Instance, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}
