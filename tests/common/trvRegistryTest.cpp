// Registry access by path on a scratch key under HKCU, on the W path and on the 8-bit path
// (forced on NT, and for real in the Windows 98 copy); malformed values are stored with the raw
// platform calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "common/trvAPI.h"
#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "unicode/UtxWindows.h"

namespace {

// One key per program, so the Windows 98 copy running beside this one does not meet our values.
WideString ScratchSubKey() {
  wchar_t name[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, name, MAX_PATH);
  WideString file(name, n);
  file = file.substr(file.find_last_of(L"\\/") + 1);
  return L"Software\\Tervana\\RegistryTest\\" + file;
}

void DeleteTree(HKEY parent, const WideString& subKey) {
  HKEY key;
  if (RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  wchar_t child[256];
  DWORD length = 256;
  while (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    DeleteTree(key, child);
    length = 256;
  }
  RegCloseKey(key);
  RegDeleteKeyW(parent, subKey.c_str());
}

class TrvRegistry : public ::testing::TestWithParam<bool> {
 protected:
  TrvRegistry() : FPlatform(GetParam(), GetParam() ? ConversionCodePage() : 1252) {}
  void SetUp() override {
    DeleteTree(HKEY_CURRENT_USER, ScratchSubKey());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ScratchSubKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &Raw, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(Raw);
    DeleteTree(HKEY_CURRENT_USER, ScratchSubKey());
  }
  void Store(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(Raw, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  // Stored and read back in the stored byte form, whatever path the code under test takes.
  std::vector<BYTE> Stored(const wchar_t* name, DWORD& type) {
    DWORD size = 0;
    RegQueryValueExW(Raw, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    RegQueryValueExW(Raw, name, nullptr, &type, data.data(), &size);
    data.resize(size);
    return data;
  }

  const WideString Path = L"HKEY_CURRENT_USER\\" + ScratchSubKey();
  TUtxPlatformOverride FPlatform;
  HKEY Raw = nullptr;
};

TEST_P(TrvRegistry, RootNamesAndUnknownRoots) {
  HKEY root = nullptr;
  WideString subKey;
  ParseRegistryPath(L"hkcu\\Software\\X", root, subKey);
  EXPECT_EQ(root, HKEY_CURRENT_USER);
  EXPECT_EQ(subKey, L"Software\\X");
  ParseRegistryPath(L"HKLM", root, subKey);
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(subKey, L"");
  ParseRegistryPath(L"Hkey_Users\\", root, subKey);
  EXPECT_EQ(root, HKEY_USERS);
  EXPECT_EQ(subKey, L"");

  WriteRegistryDWord(L"hkcu\\" + ScratchSubKey(), L"n", 42);
  EXPECT_EQ(ReadRegistryDWord(Path, L"n", 0), 42u);
  EXPECT_EQ(ReadRegistryDWord(L"HKCU\\" + ScratchSubKey(), L"n", 0), 42u);

  for (const WideString& bad : {WideString(L"hkcr\\Software"), WideString(L"\\Software"), WideString(L"")}) {
    try {
      ReadRegistryString(bad, L"x", L"");
      ADD_FAILURE() << bad;
    } catch (const ETRVException& e) {
      WideString root = bad.substr(0, bad.find(L'\\'));
      for (auto& c : root) c = towupper(c);
      EXPECT_EQ(e.WideMessage(), L"Unknown Root Registry Key: " + root);
    }
  }
  EXPECT_THROW(WriteRegistryString(L"HKCR\\Software", L"x", L""), ETRVException);
  // The root alone is a key of its own.
  EXPECT_EQ(ReadRegistryDWord(L"HKLM", L"no such value", 7), 7u);
}

TEST_P(TrvRegistry, StringsRoundTripWithTheirTerminator) {
  const WideString text = L"Gr\u00fc\u00dfe";
  WriteRegistryString(Path, L"s", text);
  EXPECT_EQ(ReadRegistryString(Path, L"s", L"def"), text);
  DWORD type;
  std::vector<BYTE> stored = Stored(L"s", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.size(), 2 * text.size() + 2);

  WriteRegistryString(Path, L"empty", L"");
  EXPECT_EQ(Stored(L"empty", type).size(), 2u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(ReadRegistryString(Path, L"empty", L"def"), L"");

  // Missing key, missing value.
  EXPECT_EQ(ReadRegistryString(Path, L"missing", L"def"), L"def");
  EXPECT_EQ(ReadRegistryString(Path + L"\\no\\such\\key", L"s", L"def"), L"def");
}

TEST_P(TrvRegistry, TextTypes) {
  WriteRegistryText(Path, L"x", L"%TEMP%\\a", REG_EXPAND_SZ);
  EXPECT_EQ(ReadRegistryString(Path, L"x", L"def"), L"def");
  WideString value;
  DWORD type = 0;
  ReadRegistryText(Path, L"x", L"def", value, type);
  EXPECT_EQ(value, L"%TEMP%\\a");
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));

  const wchar_t multi[] = L"one\0two\0";  // and the array's own terminator
  Store(L"m", REG_MULTI_SZ, multi, sizeof multi);
  ReadRegistryText(Path, L"m", L"def", value, type);
  EXPECT_EQ(value, WideString(L"one\0two\0", 8));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));

  DWORD number = 1;
  Store(L"d", REG_DWORD, &number, 4);
  ReadRegistryText(Path, L"d", L"def", value, type);
  EXPECT_EQ(value, L"def");
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
}

TEST_P(TrvRegistry, MalformedTextValues) {
  // Only the terminator: empty, not the default.
  Store(L"nul", REG_SZ, L"", 2);
  EXPECT_EQ(ReadRegistryString(Path, L"nul", L"def"), L"");
  // Stored without a terminator: every character stays.
  Store(L"bare", REG_SZ, L"abc", 6);
  EXPECT_EQ(ReadRegistryString(Path, L"bare", L"def"), L"abc");
  Store(L"one", REG_SZ, L"A", 2);
  EXPECT_EQ(ReadRegistryString(Path, L"one", L"def"), L"A");
  // No byte, or half a character: empty, never a negative length.
  Store(L"zero", REG_SZ, L"", 0);
  EXPECT_EQ(ReadRegistryString(Path, L"zero", L"def"), L"");
  Store(L"half", REG_SZ, "x", 1);
  EXPECT_EQ(ReadRegistryString(Path, L"half", L"def"), L"");
  Store(L"odd", REG_SZ, L"ab", 5);
  EXPECT_EQ(ReadRegistryString(Path, L"odd", L"def").substr(0, 1), L"a");
}

TEST_P(TrvRegistry, DWordsAndBooleans) {
  WriteRegistryBoolean(Path, L"t", true);
  WriteRegistryBoolean(Path, L"f", false);
  EXPECT_TRUE(ReadRegistryBoolean(Path, L"t", false));
  EXPECT_FALSE(ReadRegistryBoolean(Path, L"f", true));
  EXPECT_TRUE(ReadRegistryBoolean(Path, L"missing", true));
  DWORD type;
  EXPECT_EQ(Stored(L"t", type), (std::vector<BYTE>{1, 0, 0, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

  DWORD two = 2;
  Store(L"two", REG_DWORD, &two, 4);
  EXPECT_TRUE(ReadRegistryBoolean(Path, L"two", false));
  Store(L"text", REG_SZ, L"1", 4);
  EXPECT_FALSE(ReadRegistryBoolean(Path, L"text", false));
  EXPECT_EQ(ReadRegistryDWord(Path, L"text", 9), 9u);

  // Too short or too long for a number: the default.
  const BYTE bytes[8] = {0x34, 0x12, 0, 0, 0, 0, 0, 0};
  Store(L"short", REG_DWORD, bytes, 2);
  EXPECT_EQ(ReadRegistryDWord(Path, L"short", 9), 9u);
  Store(L"long", REG_DWORD, bytes, 8);
  EXPECT_EQ(ReadRegistryDWord(Path, L"long", 9), 9u);
  Store(L"binary", REG_BINARY, bytes, 4);
  EXPECT_EQ(ReadRegistryDWord(Path, L"binary", 9), 9u);

  WriteRegistryDWord(Path, L"max", 0xFFFFFFFF);
  EXPECT_EQ(ReadRegistryDWord(Path, L"max", 0), 0xFFFFFFFFu);
}

TEST_P(TrvRegistry, FailedWritesRaiseAndNameTheEntry) {
  // A value name longer than the registry takes.
  const WideString longName(20000, L'n');
  try {
    WriteRegistryString(Path, longName, L"x");
    ADD_FAILURE();
  } catch (const ETRVException& e) {
    EXPECT_EQ(e.WideMessage().rfind(L"Cannot create Entry: " + longName + L" in Key: " + Path + L" (", 0), 0u);
    EXPECT_EQ(e.WideMessage().back(), L')');
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, TrvRegistry, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "EightBit"; });

// ---- the registry wrappers' 8-bit path ----

class TrvApiRegistry : public TrvRegistry {};

TEST_P(TrvApiRegistry, EightBitStringSizesAreReportedInUtf16) {
  RegSetValueExA(Raw, "abc", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4);
  DWORD type = 0, size = 0;
  ASSERT_EQ(ApiRegQueryValueEx(Raw, L"abc", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 8u);
  wchar_t buffer[8] = {};
  size = sizeof buffer;
  ASSERT_EQ(ApiRegQueryValueEx(Raw, L"abc", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(WideString(buffer, 4), WideString(L"abc", 4));
  size = 6;  // too small
  EXPECT_EQ(ApiRegQueryValueEx(Raw, L"abc", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);

  // A value past the probe's 8 bytes.
  const char* longText = "a longer text than the probe";
  RegSetValueExA(Raw, "long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText), static_cast<DWORD>(strlen(longText) + 1));
  wchar_t big[64] = {};
  size = sizeof big;
  ASSERT_EQ(ApiRegQueryValueEx(Raw, L"long", nullptr, &type, reinterpret_cast<BYTE*>(big), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2 * (strlen(longText) + 1));
  EXPECT_STREQ(big, L"a longer text than the probe");
}

TEST_P(TrvApiRegistry, NumbersAndBinaryPassThrough) {
  DWORD v = 0x01020304;
  RegSetValueExA(Raw, "d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  DWORD got = 0, type = 0, size = 4;
  ASSERT_EQ(ApiRegQueryValueEx(Raw, L"d", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(got, v);
  EXPECT_EQ(size, 4u);
  WORD small = 0;
  size = 2;
  EXPECT_EQ(ApiRegQueryValueEx(Raw, L"d", nullptr, &type, reinterpret_cast<BYTE*>(&small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  // The size alone, whatever the size variable held, as the W call answers it.
  size = 0;
  EXPECT_EQ(ApiRegQueryValueEx(Raw, L"d", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);

  std::vector<BYTE> blob(40);
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i);
  RegSetValueExA(Raw, "b", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
  std::vector<BYTE> back(64);
  size = static_cast<DWORD>(back.size());
  ASSERT_EQ(ApiRegQueryValueEx(Raw, L"b", nullptr, &type, back.data(), &size), ERROR_SUCCESS);
  back.resize(size);
  EXPECT_EQ(back, blob);
  EXPECT_EQ(ApiRegQueryValueEx(Raw, L"missing", nullptr, &type, back.data(), &size), ERROR_FILE_NOT_FOUND);
}

TEST_P(TrvApiRegistry, StringsAreWrittenNarrowedWithTheirTerminator) {
  const WideString text = L"caf\u00e9";
  ASSERT_EQ(ApiRegSetValueEx(Raw, L"s", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(2 * text.size() + 2)),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  RegQueryValueExA(Raw, "s", nullptr, &type, nullptr, &size);
  // Wine keeps every text value as UTF-16: read 8-bit, both paths show the terminator counted.
  EXPECT_EQ(size, text.size() + 1);
  char narrow[16] = {};
  size = sizeof narrow;
  RegQueryValueExA(Raw, "s", nullptr, &type, reinterpret_cast<BYTE*>(narrow), &size);
  EXPECT_STREQ(narrow, "caf\xE9");
}

INSTANTIATE_TEST_SUITE_P(Paths, TrvApiRegistry, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "EightBit"; });

}  // namespace
