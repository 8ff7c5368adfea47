#include "zonedialog/fAbout.h"

#include "common/trvCommonTexts.h"
#include "common/trvTools.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxLXVerUtils.h"

namespace {

WideString ModuleFileName() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return WideString(path, n);
}

}  // namespace

WideString TfrmAbout::ProgramVersion(const WideString& FileName) {
  try {
    const uint32_t high = GetFileVersionHigh(FileName);
    if (high) return FormatVersionHigh(high);
  } catch (const std::exception&) {
  }
  return L"0.0";
}

void TfrmAbout::FormCreate(TObject*) {
  UtxImage1 = FindDesigned<TUtxImage>(this, L"UtxImage1");
  UtxImage2 = FindDesigned<TUtxImage>(this, L"UtxImage2");
  lblProductName = FindDesigned<TUtxLabel>(this, L"lblProductName");
  lblVersion = FindDesigned<TUtxLabel>(this, L"lblVersion");
  cmdOK = FindDesigned<TUtxButton>(this, L"cmdOK");
  TabSheet = FindDesigned<TUtxPageControl>(this, L"TabSheet");
  SheetAbout = FindDesigned<TUtxTabSheet>(this, L"SheetAbout");
  lblCopyright = FindDesigned<TUtxLabel>(this, L"lblCopyright");
  lblWeb = FindDesigned<TUtxLabel>(this, L"lblWeb");
  lblUrl = FindDesigned<TtrvURLLabel>(this, L"lblUrl");
  lblSupport = FindDesigned<TUtxLabel>(this, L"lblSupport");
  lblSupportUrl = FindDesigned<TtrvURLLabel>(this, L"lblSupportUrl");
  lblWarning = FindDesigned<TUtxLabel>(this, L"lblWarning");

  // The pictures are the program's own; a program without them shows empty frames.
  const HINSTANCE module = GetModuleHandleW(nullptr);
  for (TUtxImage* image : {UtxImage1, UtxImage2}) {
    try {
      image->Picture()->LoadFromResourceName(module, L"ABOUT_JPEG");
    } catch (const Exception&) {
    }
  }

  const WideString version = ProgramVersion(ModuleFileName());
  SetWideControlText(this, GetAboutCaption(ProductName));
  SetWideControlText(cmdOK, Translate(L"OK"));
  SetWideControlText(SheetAbout, GetAboutText());
  SetWideControlText(lblProductName, ProductName);
  SetWideControlText(lblVersion, GetVersionText(version, L""));
  TabSheet->SetActivePage(SheetAbout);
  SetWideControlText(lblWarning, GetLegalWarningText());
  SetWideControlText(lblCopyright, Translate(L"Copyright (c) Tervana. All rights reserved."));
  SetWideControlText(lblWeb, Translate(L"Web:") + L" ");
  const WideString site = Translate(L"www.tervana.example");
  SetWideControlText(lblUrl, site);
  lblUrl->SetURLToLaunch(Translate(L"http://www.tervana.example/"));
  SetWideControlText(lblSupport, GetSupportText() + L" ");
  SetWideControlText(lblSupportUrl, site);
  lblSupportUrl->SetURLToLaunch(Translate(L"http://www.tervana.example"));
}

void TfrmAbout::cmdOKClick(TObject*) { SetModalResult(mrOk); }

VGT_PUBLISH(TfrmAbout) {
  P.Handler(L"FormCreate", &TfrmAbout::FormCreate).Handler(L"cmdOKClick", &TfrmAbout::cmdOKClick);
}

VGT_UNIT_ANCHOR(fAbout)
