#include "base/RegKey.h"
#include "tests/wizard/WizardSupport.h"

#include "common/trvRegistry.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxForms.h"

namespace {

const wchar_t V10[] = L"Software\\Microsoft\\.NETFramework\\policy\\v1.0";
const wchar_t V11[] = L"Software\\Microsoft\\.NETFramework\\policy\\v1.1";

bool KeyExists(const wchar_t* Path) {
  TRegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Path, 0, KEY_READ, key.Out()) == ERROR_SUCCESS;
}

void SetKey(const wchar_t* Path, bool Present) {
  if (!Present) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, Path);
    return;
  }
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr),
            ERROR_SUCCESS);
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s = path;
  return s.substr(0, s.find_last_of(L'\\'));
}

}  // namespace

void SetBrowserClass(int Class) {
  static const char* const versions[] = {"fail", "4.72", "5.0", "5.50", "6.0"};
  SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", versions[Class]);
}

void SetDotNetLevel(int Level) {
  SetKey(V10, Level >= 1);
  SetKey(V11, Level >= 2);
}

bool StepSkipped(int Index, int IeClass, int NetLevel) {
  if (IeClass == 0) return true;
  if ((Index == 6 || Index == 7) && NetLevel == 0) return true;
  if (Index == 13 && IeClass < 4) return true;
  if ((Index == 14 || Index == 15) && IeClass > 3) return true;
  if (Index == 18 && IeClass < 2) return true;
  return false;
}

TWindowPtr OpenWizard() {
  TWindowPtr w(TCustomForm::Create<TfrmtunewrightWindow>(nullptr));
  w->Show();
  Pump();
  return w;
}

void Pump() { Application->ProcessMessages(); }

void ClickByMessage(TWinControl* Control) {
  SendMessageW(Control->Handle(), BM_CLICK, 0, 0);
  Pump();
}

bool ButtonEnabled(TWinControl* Button) { return IsWindowEnabled(Button->Handle()) != 0; }

bool RadioChecked(TWinControl* Radio) { return SendMessageW(Radio->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// ---- saved registry values ----

TSavedRegistryValues::TSavedRegistryValues(HKEY Root, const std::wstring& Path) : FRoot(Root), FPath(Path) {
  TRegKey key;
  if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return;
  FExisted = true;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    TValue v{name, type, std::vector<BYTE>(size)};
    nameLength = 256;
    RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, v.Data.data(), &size);
    v.Data.resize(size);
    FValues.push_back(std::move(v));
  }
}

TSavedRegistryValues::~TSavedRegistryValues() {
  TRegKey key;
  if (!FExisted) {
    RegDeleteKeyW(FRoot, FPath.c_str());
    return;
  }
  if (RegCreateKeyExW(FRoot, FPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
    return;
  // Values added since are removed (the index restarts after each removal).
  for (DWORD i = 0;;) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    bool keep = false;
    for (const auto& v : FValues) keep = keep || _wcsicmp(v.Name.c_str(), name) == 0;
    if (keep) ++i;
    else RegDeleteValueW(key.Get(), name);
  }
  for (const auto& v : FValues)
    RegSetValueExW(key.Get(), v.Name.c_str(), 0, v.Type, v.Data.data(), static_cast<DWORD>(v.Data.size()));
}

// ---- the program's environment ----

void TWizardTestEnvironment::SetUp() {
  FHadV10 = KeyExists(V10);
  FHadV11 = KeyExists(V11);
  FProduct = std::make_unique<TSavedRegistryValues>(HKEY_CURRENT_USER, L"Software\\Tervana\\Veilgate");
  // The window reads its language from the product key: the tests start in the system's.
  WriteRegistryString(ProductRegistryKey, L"lang", L"");
  SetCatalogFolder(ExeFolder() + L"\\..\\locale");
  Application->Initialize();
}

void TWizardTestEnvironment::TearDown() {
  SetKey(V10, FHadV10);
  SetKey(V11, FHadV11);
  FProduct.reset();
  SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", nullptr);
}

[[maybe_unused]] static ::testing::Environment* const WizardEnvironment =
    ::testing::AddGlobalTestEnvironment(new TWizardTestEnvironment);
