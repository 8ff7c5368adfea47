// Registration keys go to the machine's classes and, where a key cannot be written there, to the
// user's own; when neither takes it the registration fails with the class library's text. A key
// below a volatile key cannot be made non-volatile, which makes the machine's side refuse.
#include <gtest/gtest.h>

#include "base/RegKey.h"
#include "classlib/ComObj.h"
#include "classlib/ComReg.h"
#include "tests/support/ComTestSupport.h"

namespace {

const wchar_t kParent[] = L"VgtRegKeyTest.Volatile";

class ComRegKeys : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
      const WideString base = root == HKEY_CLASSES_ROOT ? WideString() : WideString(L"Software\\Classes\\");
      RegDeleteKeyW(root, (base + kParent + L"\\Sub").c_str());
      RegDeleteKeyW(root, (base + kParent).c_str());
    }
  }

  static void MakeVolatile(HKEY Root, const WideString& Path) { ASSERT_TRUE(MakeVolatileKey(Root, Path)); }
};

TEST_F(ComRegKeys, AKeyTheMachineRefusesGoesToTheUsersClasses) {
  MakeVolatile(HKEY_CLASSES_ROOT, kParent);
  const WideString key = WideString(kParent) + L"\\Sub";
  CreateRegKey(key, L"", L"Wert");
  EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, key), L"<missing>");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, L"Software\\Classes\\" + key), L"Wert");
  DeleteRegKey(key);
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, L"Software\\Classes\\" + key), L"<missing>");
}

TEST_F(ComRegKeys, AKeyNeitherPlaceTakesFailsTheRegistration) {
  MakeVolatile(HKEY_CLASSES_ROOT, kParent);
  MakeVolatile(HKEY_CURRENT_USER, WideString(L"Software\\Classes\\") + kParent);
  try {
    CreateRegKey(WideString(kParent) + L"\\Sub", L"", L"Wert");
    FAIL() << "no exception";
  } catch (const EOleRegistrationError& e) {
    EXPECT_EQ(e.Message(), "Fehler beim Erstellen eines Eintrages in der Systemregistrierung");
    EXPECT_TRUE(FAILED(e.ErrorCode));
  }
}

TEST_F(ComRegKeys, DeletingAKeyThatIsNowhereIsNoFailure) {
  DeleteRegKey(WideString(kParent) + L"\\Sub");
  // An empty path never reaches the classes root itself (the user's may be empty).
  {
    TRegKey userClasses;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr,
                              userClasses.Out(), nullptr),
              ERROR_SUCCESS);
  }
  DeleteRegKey(L"");
  EXPECT_NE(RegText(HKEY_CURRENT_USER, L"Software\\Classes"), L"<missing>");
  EXPECT_THROW(CreateRegKey(L"", L"", L"Wert"), EOleRegistrationError);
}

}  // namespace
