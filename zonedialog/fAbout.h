// The About window: product name, version, the legal notice and the maker's web address.
#pragma once

#include "common/trvControls.h"
#include "unicode/UtxComCtrls.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxStdCtrls.h"

class TfrmAbout : public TtrvOwnedForm {
  VGT_CLASS(TfrmAbout, TtrvOwnedForm)
 public:
  // Wherever the form is made, its unit (with the handlers its description names) is linked.
  explicit TfrmAbout(TComponent* AOwner) : TtrvOwnedForm(AOwner) { VGT_USE_UNIT(fAbout); }
  void FormCreate(TObject* Sender);
  void cmdOKClick(TObject* Sender);

  // "major.minor" of FileName's version resource; "0.0" when it has none or cannot be read.
  static WideString ProgramVersion(const WideString& FileName);

  TUtxImage* UtxImage1 = nullptr;
  TUtxImage* UtxImage2 = nullptr;
  TUtxLabel* lblProductName = nullptr;
  TUtxLabel* lblVersion = nullptr;
  TUtxButton* cmdOK = nullptr;
  TUtxPageControl* TabSheet = nullptr;
  TUtxTabSheet* SheetAbout = nullptr;
  TUtxLabel* lblCopyright = nullptr;
  TUtxLabel* lblWeb = nullptr;
  TtrvURLLabel* lblUrl = nullptr;
  TUtxLabel* lblSupport = nullptr;
  TtrvURLLabel* lblSupportUrl = nullptr;
  TUtxLabel* lblWarning = nullptr;
};
