#include "zonedialog/uVgtDomainEntry.h"

TvgtDomainEntry::TvgtDomainEntry(const WideString& ADomain, const WideString& AVGTDomain,
                                 int32_t nScheme, PageFeatureFlags Flags) {
  Domain = ADomain;
  VGTDomain = AVGTDomain;
  SetFlags(Flags);
  Scheme = nScheme;
}
