// What the zone dialog tests share: the ZoneDialog object made through its factory in the test
// process, the product's registry values kept and given back, zone mappings of test domains
// taken away again, and a modal window of the dialog answered from the message loop.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <functional>
#include <optional>
#include <vector>

#include "VgtDialog_h.h"
#include "classlib/ComObj.h"
#include "classlib/Forms.h"
#include "common/trvZoneServices.h"
#include "zonedialog/fVgtDialog.h"

// A new ZoneDialog object through the factory that the program registers with COM.
ComPtr<IZoneDialog> NewZoneDialog();
// The dialog behind an object made by NewZoneDialog (nullptr before it has one).
TfrmVgtDialog* DialogOf(IZoneDialog* Object);

// AddDomain with wide texts.
HRESULT AddDomain(IZoneDialog* Object, const WideString& Domain, const WideString& Url, LONG Scheme, ULONG Flags = 0);

// The platform's own zone of Url, with a manager made fresh.
DWORD PlatformZoneOf(const WideString& Url);
// Takes Url out of every zone's site list.
void RemoveFromAllZones(const WideString& Url);
// Puts Url into Zone through the platform.
void MapIntoZone(const WideString& Url, DWORD Zone);
// The Trusted zone's attribute flags as the platform reports them.
DWORD TrustedZoneFlags();
void SetTrustedZoneFlags(DWORD Flags);

// Keeps "lang", "highlevel" and the Trusted zone's flags and gives them back at the end.
class TKeptSettings {
 public:
  TKeptSettings();
  ~TKeptSettings();
  TKeptSettings(const TKeptSettings&) = delete;
  TKeptSettings& operator=(const TKeptSettings&) = delete;

 private:
  std::optional<WideString> FLang;
  std::optional<DWORD> FHighlevel;
  DWORD FTrustedFlags;
};

// Runs Answer once the message loop is idle while a modal form of class F is up (the form's
// own loop runs the application's idle handling), then lets the modal loop end.
class TModalAnswer {
 public:
  explicit TModalAnswer(std::function<bool(TCustomForm* Form)> Answer);
  ~TModalAnswer();
  TModalAnswer(const TModalAnswer&) = delete;
  TModalAnswer& operator=(const TModalAnswer&) = delete;
  int Answered() const { return FAnswered; }

 private:
  std::function<bool(TCustomForm*)> FAnswer;
  int FAnswered = 0;
};

// While it lives, answers every library message box the code under test shows with Answer,
// after reading its caption and text.
class TBoxReader {
 public:
  struct TBox {
    WideString Caption, Text;
  };
  explicit TBoxReader(TModalResult Answer);
  const std::vector<TBox>& Boxes() const { return FBoxes; }
  TBox Last() const { return FBoxes.empty() ? TBox{} : FBoxes.back(); }

 private:
  std::vector<TBox> FBoxes;
  TModalAnswer FAnswer;
};

// A top-level test window that stands for the client's browser window.
class TOwnerWindow {
 public:
  TOwnerWindow();
  ~TOwnerWindow();
  TOwnerWindow(const TOwnerWindow&) = delete;
  TOwnerWindow& operator=(const TOwnerWindow&) = delete;
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle = nullptr;
};
