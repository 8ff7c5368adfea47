#include "classlib/ComReg.h"

#include "base/RegKey.h"
#include "classlib/ComObj.h"
#include "classlib/ResStrings.h"

#include <olectl.h>

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";

bool WriteKey(HKEY Root, const WideString& Key, const WideString& ValueName, const WideString& Value) {
  TRegKey key;
  if (RegCreateKeyExW(Root, Key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Out(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(key.Get(), ValueName.empty() ? nullptr : ValueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(Value.c_str()),
                        static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

void CreateRegKey(const WideString& Key, const WideString& ValueName, const WideString& Value) {
  if (Key.empty()) throw EOleRegistrationError(LoadResStringA(SCreateRegKeyError), E_INVALIDARG);
  if (WriteKey(HKEY_CLASSES_ROOT, Key, ValueName, Value)) return;
  if (WriteKey(HKEY_CURRENT_USER, kUserClasses + Key, ValueName, Value)) return;
  throw EOleRegistrationError(LoadResStringA(SCreateRegKeyError), SELFREG_E_CLASS);
}

void DeleteRegKey(const WideString& Key) {
  // An empty path would name the classes root itself.
  if (Key.empty()) return;
  RegDeleteKeyW(HKEY_CLASSES_ROOT, Key.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, (kUserClasses + Key).c_str());
}
