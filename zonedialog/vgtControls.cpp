#include "zonedialog/vgtControls.h"

#include <cwchar>

#include "platform/ZoneRegistry.h"

WideString VisibleDomainText(const WideString& Domain) {
  WideString shown;
  shown.reserve(Domain.size());
  for (wchar_t c : Domain) {
    if (!IsHiddenControlCharacter(c)) {
      shown += c;
      continue;
    }
    wchar_t code[16];
    std::swprintf(code, sizeof code / sizeof *code, L"<U+%04X>", static_cast<unsigned>(c));
    shown += code;
  }
  return shown;
}

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
