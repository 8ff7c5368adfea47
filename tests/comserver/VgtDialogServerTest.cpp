// The zone dialog program as a COM server: its own /regserver registers the type library it
// carries (with the neutral-locale key the platform's marshaller looks for), /unregserver takes
// every key away again, and started without a switch it ends at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/GuidText.h"
#include "ComTestSupport.h"
#include "VgtDialog_h.h"
#include "classlib/ComObj.h"
#include "tests/ComTestEnvironment.h"

namespace {

bool SamePath(const WideString& A, const WideString& B) { return lstrcmpiW(A.c_str(), B.c_str()) == 0; }

TEST(VgtDialogServer, RegistersItsTypeLibraryAndRemovesItWithoutATrace) {
  const WideString program = ProgramBesideTest(L"VgtDialog.exe");
  ASSERT_EQ(RunAndWait(program, L"/unregserver"), 0u);
  const auto before = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  const auto beforeUser = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes");

  ASSERT_EQ(RunAndWait(program, L"/RegServer"), 0u);
  const WideString lib = L"TypeLib\\" + GuidText(LIBID_VgtDialog) + L"\\1.0";
  EXPECT_EQ(RegText(lib), L"VgtDialog Bibliothek");
  EXPECT_TRUE(SamePath(RegText(lib + L"\\409\\win32"), program));
  EXPECT_TRUE(SamePath(RegText(lib + L"\\0\\win32"), program));
  EXPECT_TRUE(SamePath(RegText(lib + L"\\HELPDIR"), program.substr(0, program.find_last_of(L'\\'))));
  const WideString intf = L"Interface\\" + GuidText(IID_IZoneDialog);
  EXPECT_EQ(RegText(intf), L"IZoneDialog");
  EXPECT_EQ(RegText(intf + L"\\TypeLib"), GuidText(LIBID_VgtDialog));

  ASSERT_EQ(RunAndWait(program, L"-unregserver"), 0u);
  const auto after = RegistrySnapshot(HKEY_CLASSES_ROOT, L"");
  std::vector<WideString> left;
  std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(left));
  EXPECT_TRUE(left.empty()) << left.size() << " lines differ";
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Classes"), beforeUser);
}

TEST(VgtDialogServer, StartedWithoutASwitchItEndsAtOnce) {
  EXPECT_EQ(RunAndWait(ProgramBesideTest(L"VgtDialog.exe"), L""), 0u);
  EXPECT_EQ(RunAndWait(ProgramBesideTest(L"VgtDialog.exe"), L"/nothing"), 0u);
}

}  // namespace
