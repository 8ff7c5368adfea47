#include "classlib/ComServ.h"

#include <algorithm>

#include "base/ComValues.h"
#include "base/GuidText.h"
#include "base/TextConversion.h"
#include "classlib/ComReg.h"
#include "classlib/ResStrings.h"

namespace {

// "There are still live COM objects; end anyway?" (ComServ.rc).
constexpr UINT SNoCloseActiveServer = 64048;

// The platform key of a type library's registration: what this program's own bitness reads.
#ifdef _WIN64
constexpr SYSKIND ThisSysKind = SYS_WIN64;
const wchar_t* const PlatformKey = L"win64";
#else
constexpr SYSKIND ThisSysKind = SYS_WIN32;
const wchar_t* const PlatformKey = L"win32";
#endif

// The command line's arguments after the program name; quotes group, as the runtime splits them.
std::vector<WideString> CommandLineArguments(const wchar_t* Line) {
  std::vector<WideString> args;
  if (!Line) return args;
  const wchar_t* p = Line;
  bool first = true;
  while (*p) {
    while (*p == L' ' || *p == L'\t') ++p;
    if (!*p) break;
    WideString arg;
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
      if (*p == L'"') quoted = !quoted;
      else arg += *p;
      ++p;
    }
    if (!first) args.push_back(arg);
    first = false;
  }
  return args;
}

bool SameText(const WideString& A, const wchar_t* B) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, A.c_str(), static_cast<int>(A.size()), B, -1) ==
         CSTR_EQUAL;
}

WideString CurrentCommandLine() {
  if (const wchar_t* wide = GetCommandLineW(); wide && *wide) return wide;
  // The 8-bit platform family answers only the 8-bit command line.
  const char* line = GetCommandLineA();
  return CodePageToWide(line ? line : "", CP_ACP);
}

WideString FolderOf(const WideString& Path) {
  const size_t slash = Path.find_last_of(L"\\/");
  return slash == WideString::npos ? WideString() : Path.substr(0, slash);
}

// A type library's identity, read once.
struct TLibIdentity {
  GUID Guid;
  WORD Major, Minor;
  LCID Locale;
  WideString VersionKey() const {
    wchar_t version[32];
    wsprintfW(version, L"%x.%x", Major, Minor);
    return L"TypeLib\\" + GuidText(Guid) + L"\\" + version;
  }
};

TLibIdentity IdentityOf(ITypeLib* Lib) {
  TLIBATTR* attr = nullptr;
  OleCheck(Lib->GetLibAttr(&attr));
  TLibIdentity id{attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid};
  Lib->ReleaseTLibAttr(attr);
  return id;
}

using TRegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using TUnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

template <class F>
F OleAutFunction(const char* Name) {
  HMODULE oleaut = GetModuleHandleA("oleaut32.dll");
  return oleaut ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(oleaut, Name))) : nullptr;
}

}  // namespace

TStartMode StartModeOfCommandLine(const wchar_t* CommandLine) {
  TStartMode mode = TStartMode::smStandalone;
  for (const WideString& arg : CommandLineArguments(CommandLine)) {
    if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) continue;
    const WideString name = arg.substr(1);
    if (SameText(name, L"AUTOMATION") || SameText(name, L"EMBEDDING")) mode = TStartMode::smAutomation;
    else if (SameText(name, L"REGSERVER")) mode = TStartMode::smRegServer;
    else if (SameText(name, L"UNREGSERVER")) mode = TStartMode::smUnregServer;
  }
  return mode;
}

TComServer::TComServer() : FModule(ClassLibInstance()) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(FModule, path, MAX_PATH);
  FFileName = path;
  FIsInproc = FModule != GetModuleHandleW(nullptr);
}

TComServer::~TComServer() { RevokeClassObjects(); }

void TComServer::Prepare() {
  if (FPrepared) return;
  FPrepared = true;
  if (!FIsInproc) FStartMode = StartModeOfCommandLine(CurrentCommandLine().c_str());
  if (!FTypeLib) LoadTypeLib(FFileName);
}

void TComServer::LoadTypeLib(const WideString& FileName) {
  FTypeLib.Reset();
  if (FileName.empty()) return;
  // A module without a type-library resource serves untyped classes only.
  if (FAILED(LoadTypeLibEx(FileName.c_str(), REGKIND_NONE, &FTypeLib))) FTypeLib.Reset();
}

bool TComServer::Initialize() {
  Prepare();
  switch (FStartMode) {
    case TStartMode::smRegServer:
      UpdateRegistry(true);
      return false;
    case TStartMode::smUnregServer:
      UpdateRegistry(false);
      return false;
    default:
      if (!FIsInproc) RegisterClassObjects();
      return true;
  }
}

WideString TComServer::ServerName() const {
  if (FTypeLib) {
    TBstr name;
    if (SUCCEEDED(FTypeLib->GetDocumentation(-1, name.Out(), nullptr, nullptr, nullptr)) && name.Get()) {
      // Up to the first null, as the name was always read.
      WideString result = name.Get();
      if (!result.empty()) return result;
    }
  }
  WideString base = FFileName.substr(FFileName.find_last_of(L"\\/") + 1);
  const size_t dot = base.find_last_of(L'.');
  return dot == WideString::npos ? base : base.substr(0, dot);
}

void TComServer::AddFactory(TComObjectFactory* Factory) { FFactories.push_back(Factory); }

void TComServer::RemoveFactory(TComObjectFactory* Factory) {
  FFactories.erase(std::remove(FFactories.begin(), FFactories.end(), Factory), FFactories.end());
}

TComObjectFactory* TComServer::FindFactory(REFCLSID ClassID) const {
  for (TComObjectFactory* factory : FFactories)
    if (IsEqualCLSID(factory->ClassID(), ClassID)) return factory;
  return nullptr;
}

void TComServer::CountObject(bool Created) {
  const LONG count = Created ? InterlockedIncrement(reinterpret_cast<LONG*>(&FObjectCount))
                             : InterlockedDecrement(reinterpret_cast<LONG*>(&FObjectCount));
  if (!Created && count == 0) LastReleased();
}

void TComServer::LastReleased() {
  if (FIsInproc) return;
  bool shutdown = FStartMode == TStartMode::smAutomation;
  try {
    if (OnLastRelease) OnLastRelease(shutdown);
  } catch (...) {
    // Runs inside a COM client's Release: nothing may escape; the server ends as planned.
  }
  if (shutdown) PostQuitMessage(0);
}

bool TComServer::CanEnd() {
  if (FObjectCount <= 0) return true;
  const WideString text = LoadResStringTranslated(SNoCloseActiveServer);
  const WideString caption = ServerName();
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_TASKMODAL) == IDYES;
}

void TComServer::RegisterClassObjects() {
  for (TComObjectFactory* factory : FFactories) factory->RegisterClassObject();
}

void TComServer::RevokeClassObjects() {
  for (TComObjectFactory* factory : FFactories) factory->RevokeClassObject();
}

void TComServer::UpdateRegistry(bool Register) {
  if (Register) {
    for (TComObjectFactory* factory : FFactories) factory->UpdateRegistry(true);
    RegisterTypeLibrary();
  } else {
    try {
      UnregisterTypeLibrary();
    } catch (...) {
      // Removal goes on past what is already gone.
    }
    for (TComObjectFactory* factory : FFactories) {
      try {
        factory->UpdateRegistry(false);
      } catch (...) {
      }
    }
  }
}

void TComServer::RegisterTypeLibrary() {
  if (!FTypeLib) return;
  WideString path = FFileName;
  WideString helpDir = FolderOf(FFileName);
  HRESULT hr = ::RegisterTypeLib(FTypeLib.Get(), path.data(), helpDir.data());
  if (FAILED(hr)) {
    if (auto forUser = OleAutFunction<TRegisterForUser>("RegisterTypeLibForUser"))
      hr = forUser(FTypeLib.Get(), path.data(), helpDir.data());
  }
  OleCheck(hr);
  const TLibIdentity id = IdentityOf(FTypeLib.Get());
  // The platform's marshaller may look for the library under the neutral locale only; a library
  // of another locale is found there too.
  if (id.Locale != 0) CreateRegKey(id.VersionKey() + L"\\0\\" + PlatformKey, L"", FFileName);
}

void TComServer::UnregisterTypeLibrary() {
  if (!FTypeLib) return;
  const TLibIdentity id = IdentityOf(FTypeLib.Get());
  if (id.Locale != 0) {
    DeleteRegKey(id.VersionKey() + L"\\0\\" + PlatformKey);
    DeleteRegKey(id.VersionKey() + L"\\0");
  }
  HRESULT hr = ::UnRegisterTypeLib(id.Guid, id.Major, id.Minor, id.Locale, ThisSysKind);
  if (FAILED(hr)) {
    if (auto forUser = OleAutFunction<TUnregisterForUser>("UnRegisterTypeLibForUser"))
      forUser(id.Guid, id.Major, id.Minor, id.Locale, ThisSysKind);
  }
}

HRESULT TComServer::DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  TComObjectFactory* factory = FindFactory(rclsid);
  if (!factory || factory->Instancing() == TClassInstancing::ciInternal) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, ppv);
}

HRESULT TComServer::DllCanUnloadNow() { return FObjectCount > 0 ? S_FALSE : S_OK; }

HRESULT TComServer::DllRegisterServer() {
  try {
    Prepare();
    UpdateRegistry(true);
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT TComServer::DllUnregisterServer() {
  try {
    Prepare();
    UpdateRegistry(false);
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

TComServer& ComServer() {
  static TComServer server;
  return server;
}
