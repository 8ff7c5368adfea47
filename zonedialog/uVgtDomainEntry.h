// The dialog's side of a domain record: the row it shows, tied to the row's controls.
#pragma once

#include <cstdint>

#include "classlib/System.h"
#include "protocol/uVgtDomain.h"

class TvgtRadioButton;
class TImage;
class TUtxLabel;

// The record behind one row of the zone dialog: the domain as AddDomain delivered it, tied to the
// row's controls. The controls belong to the dialog form; the entry only refers to them.
class TvgtDomainEntry : public TvgtDomain {
  VGT_CLASS(TvgtDomainEntry, TvgtDomain)
 public:
  // Stores the texts, unpacks Flags, then takes the scheme; the references start empty.
  TvgtDomainEntry(const WideString& ADomain, const WideString& AVGTDomain, int32_t nScheme,
                  PageFeatureFlags Flags);

  TvgtRadioButton* TrustedRadio = nullptr;
  TvgtRadioButton* InternetRadio = nullptr;
  TvgtRadioButton* RestrictedRadio = nullptr;
  TImage* ZoneIcon = nullptr;
  // The dialog's hidden zone pictures that the row's picture is copied from.
  TImage* IntranetTemplate = nullptr;
  TImage* UntrustedTemplate = nullptr;
  TImage* InternetTemplate = nullptr;
  TImage* TrustedTemplate = nullptr;
  // Shown instead of the buttons where the zone cannot be changed.
  TUtxLabel* InfoLabel = nullptr;
};
