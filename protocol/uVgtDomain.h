// The record of one domain of a web page, shared by both sides of the zone dialog connection:
// the extension fills it and packs its page features into the flags word of
// IZoneDialog.AddDomain; the dialog unpacks the word into the same booleans.
#pragma once

#include <cstdint>

#include "classlib/System.h"

// The page-feature flags word: bits 0 to 7 only. The bit order differs from the field order.
enum : uint32_t {
  pfHasFrames = 0x01,    // the page holds FRAME or IFRAME elements
  pfInFrame = 0x02,      // the domain is the source of a frame of the page
  pfHasScript = 0x04,    // SCRIPT elements
  pfHasActiveX = 0x08,   // EMBED or OBJECT elements: ActiveX, Java or plug-ins
  pfHasApplet = 0x10,    // APPLET elements
  pfHasCookies = 0x20,   // the document's cookie text is not empty
  pfNoHtml = 0x40,       // the browser's document is not an HTML document
  pfHasFontFace = 0x80,  // a style sheet contains "@font-face"
};
using PageFeatureFlags = uint32_t;

class TvgtDomain : public TObject {
  VGT_CLASS(TvgtDomain, TObject)
 public:
  TvgtDomain() = default;

  // The flags word of the eight booleans (0 to 255).
  PageFeatureFlags GetFlags() const;
  // Each boolean from its own bit; bits 8 to 31 are ignored.
  void SetFlags(PageFeatureFlags Flags);

  bool HasApplet = false;
  bool InFrame = false;
  bool HasScript = false;
  bool HasActiveX = false;
  bool HasCookies = false;
  bool HasFrames = false;
  // The zone URL handed to the system's zone functions: scheme, "://", host or reduced domain.
  WideString VGTDomain;
  // The display domain: the row's title and the key of the extension's domain list.
  WideString Domain;
  bool NoHtml = false;
  // INTERNET_SCHEME number (1 ftp, 3 http, 4 https, 5 file, -1 unknown, 0 none yet).
  int32_t Scheme = 0;
  bool HasFontFace = false;
};
