// The controls of one row of the zone dialog: a gradient panel that knows its domain, the title,
// the zone radio buttons that know their zone, the bottom line and the feature pictures that
// know the hidden picture they were copied from.
#pragma once

#include <cstdint>

#include "common/Gradpanl.h"
#include "common/trvControls.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxStdCtrls.h"

class TvgtDomainEntry;

// A domain as a row shows it: every character that would draw nothing or reorder the text around
// it (platform/ZoneRegistry.h) written out as "<U+XXXX>", so a name cannot pose as another one.
WideString VisibleDomainText(const WideString& Domain);

// Zone numbers of the system (URLZONE).
enum : int32_t { vgtZoneLocal = 0, vgtZoneIntranet = 1, vgtZoneTrusted = 2, vgtZoneInternet = 3, vgtZoneRestricted = 4 };

class TvgtPanel : public TgradientPanel {
  VGT_CLASS(TvgtPanel, TgradientPanel)
 public:
  using TgradientPanel::TgradientPanel;
  // The row's record; the dialog owns it.
  TvgtDomainEntry* Entry = nullptr;

 protected:
  // The radio buttons take the colour the panel shows behind them.
  void GradientModeChanged() override;
};

class TvgtLabel : public TUtxLabel {
  VGT_CLASS(TvgtLabel, TUtxLabel)
 public:
  using TUtxLabel::TUtxLabel;
};

class TvgtRadioButton : public TUtxRadioButton {
  VGT_CLASS(TvgtRadioButton, TUtxRadioButton)
 public:
  using TUtxRadioButton::TUtxRadioButton;
  // The zone the button stands for: 2 Trusted, 3 Internet, 4 Restricted.
  int32_t ZoneTag = 0;
};

// The row's bottom line.
class TvgtLine : public TtrvLine {
  VGT_CLASS(TvgtLine, TtrvLine)
 public:
  using TtrvLine::TtrvLine;
};

class TvgtImage : public TUtxImage {
  VGT_CLASS(TvgtImage, TUtxImage)
 public:
  using TUtxImage::TUtxImage;
  // The dialog's hidden picture this one was copied from, whose hint it shows.
  TImage* Template = nullptr;
};
