// The extension's support routines: upper-casing that leaves everything but a-z alone, the GUID
// text, COM identity, the exception log line and the message box on both platform families.
#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>

#include "browserext/trvBrowserTools.h"
#include "common/trvTools.h"
#include "tools/pagehost/Browser.h"
#include "tests/support/MessageBoxReader.h"
#include "unicode/UtxWindows.h"

namespace {

TEST(UpperCaseAscii, ChangesOnlyAsciiLettersUpToTheFirstNul) {
  EXPECT_EQ(UpperCaseAscii(L"iframe"), L"IFRAME");
  EXPECT_EQ(UpperCaseAscii(L"IFrame"), L"IFRAME");
  EXPECT_EQ(UpperCaseAscii(L"stra\u00DFe \u00E9t\u00E9 \u03C9"),
            L"STRA\u00DFE \u00E9T\u00E9 \u03C9");
  EXPECT_EQ(UpperCaseAscii(L""), L"");
  EXPECT_EQ(UpperCaseAscii(L"`az{@AZ["), L"`AZ{@AZ[");
  WideString withNul(L"ab\0cd", 5);
  EXPECT_EQ(UpperCaseAscii(withNul), WideString(L"AB\0cd", 5));

  wchar_t buffer[] = L"abcd";
  UpperCaseAsciiBuf(buffer, 2);
  EXPECT_STREQ(buffer, L"ABcd");
}

TEST(UpperCaseAsciiEquals, AnswersAsUpperCasingAndComparing) {
  const WideString texts[] = {L"base", L"BASE", L"BaSe", L"bas", L"basex", L"", L"iframe",
                              L"\u0131frame", L"b\u00E1se", WideString(L"BA\0E", 4),
                              WideString(L"BASE\0", 5), L"script", L"SCRIPT "};
  for (const wchar_t* upper : {L"BASE", L"IFRAME", L"SCRIPT", L""})
    for (const auto& t : texts)
      EXPECT_EQ(UpperCaseAsciiEquals(t.data(), t.size(), upper), UpperCaseAscii(t) == upper)
          << ::testing::PrintToString(t) << " against " << ::testing::PrintToString(upper);
}

TEST(GUIDToWideString, GivesBracedUpperCaseText) {
  const GUID g = {0x0a1b2c3d, 0x4e5f, 0x6a7b, {0x8c, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3}};
  EXPECT_EQ(GUIDToWideString(g), L"{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3}");
  EXPECT_EQ(GUIDToWideString(GUID{}).size(), 38u);
}

class NoIdentity final : public pagehost::ComObject<IDispatch> {
 protected:
  void* Cast(REFIID riid) override {
    return riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
};

TEST(SameComObject, ComparesIdentityNotPointers) {
  pagehost::Host host;
  host.Navigate(L"about:blank");
  pagehost::Browser* top = host.Top();
  Microsoft::WRL::ComPtr<IDispatch> disp;
  Microsoft::WRL::ComPtr<IConnectionPointContainer> cpc;
  top->QueryInterface(IID_PPV_ARGS(&disp));
  top->QueryInterface(IID_PPV_ARGS(&cpc));
  ASSERT_NE(static_cast<void*>(disp.Get()), static_cast<void*>(cpc.Get()));
  const ULONG refs = top->RefCount();
  EXPECT_TRUE(SameComObject(disp.Get(), cpc.Get()));
  EXPECT_FALSE(SameComObject(disp.Get(), static_cast<IHTMLDocument2*>(top->Html())));
  EXPECT_TRUE(SameComObject(nullptr, nullptr));
  EXPECT_FALSE(SameComObject(disp.Get(), nullptr));

  auto odd = pagehost::Make<NoIdentity>();
  EXPECT_THROW(SameComObject(static_cast<IDispatch*>(odd.Get()), disp.Get()), EIntfCastError);
  EXPECT_EQ(top->RefCount(), refs);  // the identities were released again
}

TEST(LogException, WritesContextClassAndMessage) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  WideString path =
      WideString(dir) + L"vgt_tools_" + std::to_wstring(GetCurrentProcessId()) + L".log";
  DeleteFileW(path.c_str());
  // Omega has no form in the system code page, so the exception's own 8-bit message holds "?";
  // the log, narrowing through a Greek code page, shows whether the wide message reached it.
  const ETRVException wide(L"caf\u00E9 \u03C9");
  AnsiString expected;
  {
    TUtxPlatformOverride greek(true, 1253);
    expected = NarrowText(L"caf\u00E9 \u03C9");
    TDebugLogOverride log(1, DebugLogToFile, NarrowText(path));
    LogException(L"TVeilgate.Invoke", wide);
    LogException(L"TDomParser.ParseBaseElement", EOSError("Access denied", 5));
  }
  AnsiString text;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
  }
  DeleteFileW(path.c_str());
  // the file holds the code page's form of the wide message
  ASSERT_EQ(expected.back(), '\xF9');  // omega in code page 1253
  EXPECT_NE(text.find("TVeilgate.Invoke: ETRVException - \"" + expected + "\"\r\n"),
            AnsiString::npos)
      << text;
  EXPECT_NE(text.find("TDomParser.ParseBaseElement: EOSError - \"Access denied\"\r\n"),
            AnsiString::npos)
      << text;
}

TEST(WideMessageBox, ShowsTextOnBothPlatformFamilies) {
  TMessageBoxReader boxes;
  EXPECT_EQ(WideMessageBox(nullptr, L"Text \u00E9", L"Veilgate", MB_OK), IDOK);
  EXPECT_EQ(boxes.Last().Caption, L"Veilgate");
  EXPECT_EQ(boxes.Last().Text, L"Text \u00E9");
  {
    TUtxPlatformOverride ansi(false, 1252);
    EXPECT_EQ(WideMessageBox(nullptr, L"\u00FCber \u03C9", L"Veilgate", MB_OK), IDOK);
    EXPECT_EQ(boxes.Last().Text, L"\u00FCber ?");  // what code page 1252 can hold
  }
  EXPECT_EQ(boxes.Boxes().size(), 2u);
}

}  // namespace
