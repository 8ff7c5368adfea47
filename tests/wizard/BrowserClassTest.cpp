// The browser version class from a stand-in shdocvw.dll, and what it does to the steps that
// depend on it. VGT_SHDOCVW_STUB tells which stand-in this run sees: "versions" (reports the
// version in VGT_SHDOCVW_VERSION), "noexport" (no DllGetVersion) or "missing" (no library).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/ComEnvironment.h"
#include "unicode/UtxWindows.h"
#include "wizard/uConfigSteps.h"

namespace {

std::string StubKind() {
  const char* kind = std::getenv("VGT_SHDOCVW_STUB");
  return kind ? kind : "";
}

std::vector<int> ApplicableSteps(const TConfigStepList& list) {
  std::vector<int> result;
  for (int i = 0; i < list.GetStepCount(); ++i)
    if (list.IsStepApplicable(list.GetStep(i))) result.push_back(i);
  return result;
}

TEST(BrowserClass, VersionsMapToClasses) {
  if (StubKind() != "versions") GTEST_SKIP() << "run beside the version-reporting stand-in";
  const struct {
    const char* Version;
    uint8_t Class;
  } cases[] = {{"3.0", 1}, {"4.72", 1}, {"5.0", 2}, {"5.50", 3}, {"5.1", 3},
               {"6.0", 4}, {"7.0", 4}, {"fail", 0}, {"junk", 0}};
  for (const auto& c : cases) {
    SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", c.Version);
    EXPECT_EQ(GetBrowserVersionClass(), c.Class) << c.Version;
    TUtxPlatformOverride eightBit(false, 1252);  // the library loaded by its 8-bit name
    EXPECT_EQ(GetBrowserVersionClass(), c.Class) << c.Version << " (8-bit)";
  }
  SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", nullptr);
}

TEST(BrowserClass, StepsFollowTheClass) {
  if (StubKind() != "versions") GTEST_SKIP() << "run beside the version-reporting stand-in";
  ASSERT_EQ(GetDotNetPolicyLevel(), 0) << "this program expects a machine without .NET keys";
  const TConfigStepFrames noFrames{};
  std::vector<int> base;  // every step that depends on neither the browser nor .NET
  for (int i = 0; i <= 24; ++i)
    if (i != 6 && i != 7 && i != 13 && i != 14 && i != 15 && i != 18) base.push_back(i);
  auto with = [&](std::initializer_list<int> extra) {
    std::vector<int> v = base;
    v.insert(v.end(), extra);
    std::sort(v.begin(), v.end());
    return v;
  };
  const struct {
    const char* Version;
    uint8_t Class;
    std::vector<int> Steps;
  } cases[] = {
      {"4.72", 1, with({14, 15})},      // no mixed content, no sub-frame step
      {"5.0", 2, with({14, 15, 18})},   // sub-frames from class 2
      {"5.50", 3, with({14, 15, 18})},  // cookies up to class 3
      {"6.0", 4, with({13, 18})},       // mixed content from class 4, no cookie steps
  };
  for (const auto& c : cases) {
    SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", c.Version);
    TConfigStepList list;
    AddConfigSteps(list, noFrames);
    EXPECT_EQ(list.IeClass(), c.Class) << c.Version;
    EXPECT_EQ(ApplicableSteps(list), c.Steps) << c.Version;
    // The class is taken once: a later change of the library's answer does not reach the list.
    SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", "fail");
    EXPECT_EQ(list.IeClass(), c.Class);
  }
  SetEnvironmentVariableA("VGT_SHDOCVW_VERSION", nullptr);
}

TEST(BrowserClass, NoUsableLibraryMeansClassZeroAndNoStep) {
  const std::string kind = StubKind();
  if (kind != "noexport" && kind != "missing")
    GTEST_SKIP() << "run beside a library without the export, or with the library disabled";
  EXPECT_EQ(GetBrowserVersionClass(), 0);
  {
    TUtxPlatformOverride eightBit(false, 1252);
    EXPECT_EQ(GetBrowserVersionClass(), 0);
  }
  TConfigStepList list;
  AddConfigSteps(list, TConfigStepFrames{});
  EXPECT_EQ(list.IeClass(), 0);
  EXPECT_TRUE(ApplicableSteps(list).empty());
}

}  // namespace
