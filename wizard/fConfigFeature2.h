// The two-way setting page: Allow and Deny for each zone (TTunewrightStep2).
#pragma once

#include "wizard/fConfigFeature.h"

class TframeConfigFeature2 : public TframeConfigFeature {
  VGT_CLASS(TframeConfigFeature2, TframeConfigFeature)
 public:
  using TframeConfigFeature::TframeConfigFeature;
  std::vector<const wchar_t*> ChoiceNames() const override { return {L"Allow", L"Deny"}; }
};
