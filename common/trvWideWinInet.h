// The URL parser over WinInet: canonicalises a URL and splits the canonical form into scheme,
// scheme number, host, port, user name, password, path and extra part. Wide text throughout; the
// platform calls use the W or the 8-bit entry points by the Unicode platform switch.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "classlib/System.h"

// InternetCanonicalizeUrl into a buffer of 2056 characters (2055 passed as its length); the
// result is the buffer's text up to its first NUL. A failing call raises EOSError.
WideString WideCanonicalizeUrl(const WideString& Url, DWORD Flags);
AnsiString AnsiCanonicalizeUrl(const AnsiString& Url, DWORD Flags);

class TtrvUrlCracker : public TObject {
  VGT_CLASS(TtrvUrlCracker, TObject)
 public:
  // Constructs and runs Reset through the virtual table, so a derived class's Reset decides
  // the starting values.
  static std::unique_ptr<TtrvUrlCracker> Create();
  // Create, then SetUrl: parsed on return. A canonicalisation failure raises EOSError.
  static std::unique_ptr<TtrvUrlCracker> CreateFromUrl(const WideString& Url);

  // Reset, store the URL, Parse. Exceptions of Parse pass to the caller.
  void SetUrl(const WideString& Url);
  // Port 80, scheme 3 "http", both flags off, every other part empty (the URL too).
  virtual void Reset();
  // Parses Url once: does nothing while Parsed is set.
  virtual void Parse();

  void SetCracked(bool Value) { FParsed = Value; }
  void SetValid(bool Value) { FValid = Value; }

  bool Parsed() const { return FParsed; }
  bool Valid() const { return FValid; }
  uint16_t Port() const { return FPort; }
  int32_t SchemeNumber() const { return FSchemeNumber; }
  const WideString& UrlPath() const { return FUrlPath; }
  const WideString& Host() const { return FHost; }
  const WideString& UserName() const { return FUserName; }
  const WideString& Url() const { return FUrl; }
  const WideString& ExtraInfo() const { return FExtraInfo; }
  const WideString& Scheme() const { return FScheme; }
  const WideString& Password() const { return FPassword; }
  const WideString& CanonicalUrl() const { return FCanonicalUrl; }

 protected:
  // Nothing set here: the factories run Reset once the object is whole.
  TtrvUrlCracker() = default;

  bool FParsed = false;
  bool FValid = false;
  uint16_t FPort = 0;
  int32_t FSchemeNumber = 0;
  WideString FUrlPath;
  WideString FHost;
  WideString FUserName;
  WideString FUrl;
  WideString FExtraInfo;
  WideString FScheme;
  WideString FPassword;
  WideString FCanonicalUrl;

 private:
  void CrackCanonicalUrl();
};
