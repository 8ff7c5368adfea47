#include "common/trvRegistry.h"

#include <vector>

#include "common/trvAPI.h"
#include "common/trvTools.h"
#include "base/RegKey.h"
#include "unicode/UtxWindows.h"

namespace {

// Opens the key of Path for reading; false when it cannot be opened.
bool OpenForQuery(const WideString& Path, TRegKey& Key) {
  HKEY root;
  WideString subKey;
  ParseRegistryPath(Path, root, subKey);
  return ApiRegOpenKeyEx(root, subKey.c_str(), 0, KEY_QUERY_VALUE, Key.Out()) == ERROR_SUCCESS;
}

void OpenForWriting(const WideString& Path, TRegKey& Key) {
  HKEY root;
  WideString subKey;
  ParseRegistryPath(Path, root, subKey);
  DWORD disposition = 0;
  LONG error = ApiRegCreateKeyEx(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, Key.Out(), &disposition);
  if (error != ERROR_SUCCESS)
    throw ETRVException(L"Cannot create Key: " + Path + L" (" + GetSystemErrorText(error) + L")");
}

void SetValue(const WideString& Path, const WideString& Name, DWORD Type, const void* Data, DWORD Size) {
  TRegKey key;
  OpenForWriting(Path, key);
  LONG error = ApiRegSetValueEx(key.Get(), Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size);
  if (error != ERROR_SUCCESS)
    throw ETRVException(L"Cannot create Entry: " + Name + L" in Key: " + Path + L" (" + GetSystemErrorText(error) +
                        L")");
}

}  // namespace

void ParseRegistryPath(const WideString& Path, HKEY& Root, WideString& SubKey) {
  const size_t slash = Path.find(L'\\');
  WideString rootName = slash == WideString::npos ? Path : Path.substr(0, slash);
  SubKey = slash == WideString::npos ? WideString() : Path.substr(slash + 1);
  if (!rootName.empty()) WideCharUpperBuff(rootName.data(), static_cast<DWORD>(rootName.size()));
  static const struct {
    const wchar_t* Name;
    HKEY Key;
  } roots[] = {
      {L"HKCU", HKEY_CURRENT_USER},           {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
      {L"HKLM", HKEY_LOCAL_MACHINE},          {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
      {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
      {L"HKEY_USERS", HKEY_USERS},            {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
  };
  for (const auto& root : roots)
    if (rootName == root.Name) {
      Root = root.Key;
      return;
    }
  throw ETRVException(L"Unknown Root Registry Key: " + rootName);
}

uint32_t ReadRegistryDWord(const WideString& Path, const WideString& Name, uint32_t Default) {
  TRegKey key;
  if (!OpenForQuery(Path, key)) return Default;
  DWORD value = 0, type = REG_NONE, size = sizeof value;
  // A shorter value would leave part of the number unread.
  if (ApiRegQueryValueEx(key.Get(), Name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return Default;
  return value;
}

bool ReadRegistryBoolean(const WideString& Path, const WideString& Name, bool Default) {
  return ReadRegistryDWord(Path, Name, Default ? 1 : 0) != 0;
}

void ReadRegistryText(const WideString& Path, const WideString& Name, const WideString& Default,
                      WideString& Value, DWORD& ValueType) {
  Value = Default;
  ValueType = REG_NONE;
  TRegKey key;
  if (!OpenForQuery(Path, key)) return;
  DWORD type = REG_NONE, size = 0;
  if (ApiRegQueryValueEx(key.Get(), Name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      !IsRegistryTextType(type))
    return;
  // One spare character, so the buffer is never smaller than the value.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (ApiRegQueryValueEx(key.Get(), Name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &got) !=
          ERROR_SUCCESS ||
      !IsRegistryTextType(type))
    return;
  size_t length = got / sizeof(wchar_t);
  if (length > buffer.size()) length = buffer.size();
  // The stored terminator is not part of the text; a value stored without one keeps every
  // character, and a value of fewer than two bytes is empty.
  if (length > 0 && buffer[length - 1] == L'\0') --length;
  Value.assign(buffer.data(), length);
  ValueType = type;
}

WideString ReadRegistryString(const WideString& Path, const WideString& Name, const WideString& Default) {
  WideString value;
  DWORD type;
  ReadRegistryText(Path, Name, Default, value, type);
  return type == REG_SZ ? value : Default;
}

void WriteRegistryDWord(const WideString& Path, const WideString& Name, uint32_t Value) {
  DWORD data = Value;
  SetValue(Path, Name, REG_DWORD, &data, sizeof data);
}

void WriteRegistryBoolean(const WideString& Path, const WideString& Name, bool Value) {
  WriteRegistryDWord(Path, Name, Value ? 1 : 0);
}

void WriteRegistryText(const WideString& Path, const WideString& Name, const WideString& Value, DWORD ValueType) {
  // c_str() carries the terminator, which is stored with the text.
  SetValue(Path, Name, ValueType, Value.c_str(), static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
}

void WriteRegistryString(const WideString& Path, const WideString& Name, const WideString& Value) {
  WriteRegistryText(Path, Name, Value, REG_SZ);
}
