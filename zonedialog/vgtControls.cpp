#include "zonedialog/vgtControls.h"

void TvgtPanel::GradientModeChanged() {
  TgradientPanel::GradientModeChanged();
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* radio = dynamic_cast<TvgtRadioButton*>(Controls(i)))
      radio->SetColor(GradientMode() ? EndColor() : BeginColor());
}

VGT_PUBLISH(TvgtPanel) {}
VGT_PUBLISH(TvgtLabel) {}
VGT_PUBLISH(TvgtRadioButton) {}
VGT_PUBLISH(TvgtLine) {}
VGT_PUBLISH(TvgtImage) {}
