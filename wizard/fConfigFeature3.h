// The three-way setting page: Allow, Ask and Deny for each zone (TTunewrightStep3).
#pragma once

#include "wizard/fConfigFeature.h"

class TframeConfigFeature3 : public TframeConfigFeature {
  VGT_CLASS(TframeConfigFeature3, TframeConfigFeature)
 public:
  using TframeConfigFeature::TframeConfigFeature;
  std::vector<const wchar_t*> ChoiceNames() const override { return {L"Allow", L"Ask", L"Deny"}; }
};
