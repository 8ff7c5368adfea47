// The Unicode page control and tab sheet: sheets keep wide captions, and the page control shows
// them on its tabs by giving its Unicode tab window every tab text in wide form. Accelerators
// match the wide captions.
#pragma once

#include "classlib/ComCtrls.h"
#include "unicode/UtxControlBase.h"

class TUtxTabSheet : public TUtxControlBase<TTabSheet> {
  VGT_CLASS(TUtxTabSheet, TTabSheet)
 public:
  using TUtxControlBase::TUtxControlBase;

  TWideCaption GetCaption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  void Dispatch(TMessage& Message) override;

 private:
  // Set while the sheet stores a caption that arrived as 8-bit text (against re-entry).
  bool FSettingText = false;
};

class TUtxPageControl : public TUtxControlBase<TPageControl> {
  VGT_CLASS(TUtxPageControl, TPageControl)
 public:
  using TUtxControlBase::TUtxControlBase;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  WideString PlatformClassName() const override { return WC_TABCONTROLW; }
  void CreateWindowHandle(const TCreateParams& Params) override;

 private:
  // The wide caption of a sheet (8-bit widened for a sheet that is no TUtxTabSheet).
  static WideString SheetCaption(TTabSheet* Sheet);
};
