#include "tests/support/ComTestSupport.h"

#include <algorithm>
#include <vector>

#include "base/RegKey.h"

WideString TestProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

WideString TestProgramFolder() {
  const WideString p = TestProgramPath();
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

WideString RegText(HKEY Root, const WideString& Key, const wchar_t* Value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  TRegKey key;
  if (RegOpenKeyExW(Root, Key.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return L"<missing>";
  const LONG status = RegQueryValueExW(key.Get(), Value, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  return status == ERROR_SUCCESS ? WideString(data) : L"<no value>";
}

bool MakeVolatileKey(HKEY Root, const WideString& Path) {
  const size_t slash = Path.rfind(L'\\');
  if (slash != WideString::npos) {
    TRegKey parent;
    if (RegCreateKeyExW(Root, Path.substr(0, slash).c_str(), 0, nullptr, 0, KEY_READ, nullptr, parent.Out(),
                        nullptr) != ERROR_SUCCESS)
      return false;
  }
  TRegKey key;
  return RegCreateKeyExW(Root, Path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(),
                         nullptr) == ERROR_SUCCESS;
}

WideString RegText(const WideString& Key, const wchar_t* Value) { return RegText(HKEY_CLASSES_ROOT, Key, Value); }

WideString TestServerPath() { return ProgramBesideTest(L"ComTestServer.exe"); }

WideString ProgramBesideTest(const WideString& Name) { return TestProgramFolder() + Name; }

TStartedProcess::TStartedProcess(const WideString& Program, const WideString& Arguments) {
  WideString line = L"\"" + Program + L"\" " + Arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(Program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FInfo))
    FInfo = PROCESS_INFORMATION{};
}

TStartedProcess::~TStartedProcess() {
  if (FInfo.hThread) CloseHandle(FInfo.hThread);
  if (FInfo.hProcess) CloseHandle(FInfo.hProcess);
}

bool TStartedProcess::EndsWithin(DWORD TimeoutMs) const {
  return FInfo.hProcess && WaitForSingleObject(FInfo.hProcess, TimeoutMs) == WAIT_OBJECT_0;
}

DWORD TStartedProcess::ExitCode(DWORD Fallback) const {
  DWORD code = Fallback;
  if (FInfo.hProcess) GetExitCodeProcess(FInfo.hProcess, &code);
  return code;
}

DWORD RunAndWait(const WideString& Program, const WideString& Arguments) {
  const TStartedProcess process(Program, Arguments);
  if (!process.Started()) return static_cast<DWORD>(-1);
  process.EndsWithin(INFINITE);
  return process.ExitCode();
}

namespace {

void Dump(HKEY Key, const WideString& Prefix, std::set<WideString>& Lines) {
  Lines.insert(Prefix);
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueW(Key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
      break;
    WideString text;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      text.assign(reinterpret_cast<const wchar_t*>(data.data()), dataLen / sizeof(wchar_t));
    } else {
      for (DWORD b = 0; b < dataLen; ++b) text += std::to_wstring(data[b]) + L",";
    }
    Lines.insert(Prefix + L"|" + WideString(name.data(), nameLen) + L"|" + std::to_wstring(type) + L"|" + text);
  }
  std::vector<WideString> subkeys;
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(Key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name.data(), nameLen);
  }
  for (const WideString& sub : subkeys) {
    TRegKey child;
    if (RegOpenKeyExW(Key, sub.c_str(), 0, KEY_READ, child.Out()) != ERROR_SUCCESS) continue;
    Dump(child.Get(), Prefix + L"\\" + sub, Lines);
  }
}

}  // namespace

std::set<WideString> RegistrySnapshot(HKEY Root, const WideString& Path) {
  std::set<WideString> lines;
  TRegKey key;
  if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return lines;
  Dump(key.Get(), L"", lines);
  return lines;
}

// A zeroed VARIANT is an empty one (VariantInit).
VARIANT IntArg(LONG Value) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = Value;
  return v;
}

VARIANT StringArg(BSTR Value) {
  VARIANT v{};
  v.vt = VT_BSTR;
  v.bstrVal = Value;
  return v;
}

HRESULT InvokeMethod(IDispatch* Dispatch, DISPID Id, std::vector<VARIANT> Args, VARIANT* Result, EXCEPINFO* Excep,
                     LCID Locale, REFIID Iid) {
  std::reverse(Args.begin(), Args.end());
  DISPPARAMS params{Args.empty() ? nullptr : Args.data(), nullptr, static_cast<UINT>(Args.size()), 0};
  return Dispatch->Invoke(Id, Iid, Locale, DISPATCH_METHOD, &params, Result, Excep, nullptr);
}
