#include "tests/support/ComTestSupport.h"

#include <vector>

WideString TestProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

WideString TestProgramFolder() {
  const WideString p = TestProgramPath();
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

WideString RegText(const WideString& Key, const wchar_t* Value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<missing>";
  LONG status = RegQueryValueExW(key, Value, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? WideString(data) : L"<no value>";
}

WideString TestServerPath() { return ProgramBesideTest(L"ComTestServer.exe"); }

WideString ProgramBesideTest(const WideString& Name) { return TestProgramFolder() + Name; }

DWORD RunAndWait(const WideString& Program, const WideString& Arguments) {
  WideString line = L"\"" + Program + L"\" " + Arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(Program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return static_cast<DWORD>(-1);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
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
    HKEY child = nullptr;
    if (RegOpenKeyExW(Key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    Dump(child, Prefix + L"\\" + sub, Lines);
    RegCloseKey(child);
  }
}

}  // namespace

std::set<WideString> RegistrySnapshot(HKEY Root, const WideString& Path) {
  std::set<WideString> lines;
  HKEY key = nullptr;
  if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return lines;
  Dump(key, L"", lines);
  RegCloseKey(key);
  return lines;
}
