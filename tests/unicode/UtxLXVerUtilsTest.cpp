// File existence and the module version read from a version resource.
#include <gtest/gtest.h>

#include "tests/unicode/UtxTestSupport.h"
#include "unicode/UtxLXUtils.h"
#include "unicode/UtxLXVerUtils.h"
#include "unicode/UtxWindows.h"

namespace {

class UtxVersion : public ::testing::TestWithParam<bool> {
 protected:
  UtxVersion() : FForce(GetParam(), GetParam() ? CP_THREAD_ACP : 1252) {}
  TUtxPlatformOverride FForce;
};

WideString Self() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return self;
}

TEST_P(UtxVersion, ReadsTheFixedFileVersion) {
  EXPECT_EQ(GetFileVersionHigh(Self()), 0x00030001u);
  EXPECT_EQ(FormatVersionHigh(GetFileVersionHigh(Self())), L"3.1");
  const VS_FIXEDFILEINFO info = GetFixedFileInfo(Self());
  EXPECT_EQ(info.dwFileVersionLS, 0x00000005u);
  EXPECT_FALSE(GetFileVersionInfoBlock(Self()).empty());
}

TEST_P(UtxVersion, FileWithoutVersionResourceIsVersionZero) {
  TTempFolder dir;
  const WideString plain = dir.File(L"plain.txt");
  WriteFileBytes(plain, "no resources here");
  EXPECT_TRUE(GetFileVersionInfoBlock(plain).empty());
  EXPECT_EQ(GetFileVersionHigh(plain), 0u);
  EXPECT_EQ(FormatVersionHigh(GetFileVersionHigh(plain)), L"0.0");
}

TEST_P(UtxVersion, MissingFileOrDirectoryRaisesNamingThePath) {
  TTempFolder dir;
  for (const WideString& path : {dir.File(L"missing.exe"), dir.Path()}) {
    try {
      GetFileVersionHigh(path);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Internal Error: File does not exist: " + NarrowText(path));
      EXPECT_EQ(e.ClassName(), L"Exception");
    }
  }
  EXPECT_NO_THROW(CheckFileExists(Self()));
}

INSTANTIATE_TEST_SUITE_P(Paths, UtxVersion, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "EightBit"; });

TEST(UtxVersionText, MajorAndMinorUnsigned) {
  EXPECT_EQ(FormatVersionHigh(0x00030001), L"3.1");
  EXPECT_EQ(FormatVersionHigh(0x000A0000), L"10.0");
  EXPECT_EQ(FormatVersionHigh(0xFFFFFFFF), L"65535.65535");
  EXPECT_EQ(FormatVersionHigh(0), L"0.0");
}

}  // namespace
