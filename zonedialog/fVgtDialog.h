// The zone dialog: one row per domain of the client's page under a tool bar with Refresh,
// Sub-domains, Options and Info, and a Close button. Modeless, owned by the client's window,
// which it disables while it is shown. Closing only hides it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "classlib/ComCtrls.h"
#include "classlib/Lists.h"
#include "common/trvControls.h"
#include "common/trvTools.h"
#include "unicode/UtxActnList.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxStdCtrls.h"
#include "zonedialog/uVgtDomainEntry.h"
#include "zonedialog/vgtControls.h"

// A zone move the dialog refuses, or one the system does not carry out: the user is told why in
// UserText (translated) instead of hearing of an unexpected error.
class EVgtZoneMove : public ETRVException {
  VGT_CLASS(EVgtZoneMove, ETRVException)
 public:
  EVgtZoneMove(const WideString& Msg, const WideString& AUserText);
  WideString UserText;
};

class TfrmVgtDialog : public TtrvForm {
  VGT_CLASS(TfrmVgtDialog, TtrvForm)
 public:
  // A hidden dialog owned by Owner whose window is owned by ParentWnd (0: none; a handle that is
  // not a window counts as none).
  static TfrmVgtDialog* CreateZoneDialog(TComponent* Owner, HWND ParentWnd);
  ~TfrmVgtDialog() override;

  // One row for a domain as IZoneDialog.AddDomain hands it over.
  void AddRow(const WideString& Domain, const WideString& VGTDomain, int32_t nScheme, uint32_t Flags);
  // Shows the zone the system now reports for the row's domain. Setting a radio here never
  // changes a zone.
  void UpdateRow(TvgtPanel* Panel);
  // The zone of the entry's zone URL; Internet when it cannot be read.
  static int32_t GetUrlZone(TvgtDomainEntry* Entry);
  static TvgtDomainEntry* EntryOfRadio(TObject* Radio);
  // The click of every zone radio button: moves the row's domain, reports a failure in a box,
  // and shows the row's zone afterwards.
  void ZoneClick(TObject* Sender);
  // Moves the entry's zone URL into Target (2, 3 or 4); raises on failure.
  void SetZone(TvgtDomainEntry* Entry, int32_t Target);

  // Frees the dialog now; while one of its own windows runs a message loop (Options, About, a
  // question), closes that window and frees the dialog once the loop has returned.
  void FreeWhenIdle();

  void ShowRows();
  void HideRows();
  bool TakeRefreshWanted();
  bool Highlevel() const { return FHighlevel; }
  HWND ParentWnd() const { return FParentWnd; }
  // Texts, hints, radio captions and columns in the language "lang" names.
  void Localise();

  int RowCount() const { return FEntryList ? FEntryList->Count() : 0; }
  TvgtDomainEntry* Entries(int Index) const;
  int RowTop() const { return FRowTop; }
  int32_t TrustedX() const { return FTrustedX; }
  int32_t InternetX() const { return FInternetX; }
  int32_t RestrictedX() const { return FRestrictedX; }

  // Event handlers bound by the form description.
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void cmdCloseClick(TObject* Sender);
  void actRefreshExecute(TObject* Sender);
  void actDomainsExecute(TObject* Sender);
  void actOptionsExecute(TObject* Sender);
  void actInfoExecute(TObject* Sender);

  // The designed components, found after the description is read.
  TCoolBar* CoolBar1 = nullptr;
  TToolBar* trvToolBar1 = nullptr;
  TUtxScrollBox* sbEntries = nullptr;
  TUtxButton* cmdClose = nullptr;
  TUtxAction* actRefresh = nullptr;
  TUtxAction* actOptions = nullptr;
  TUtxAction* actInfo = nullptr;
  TUtxAction* actDomains = nullptr;
  TImage* imgTrustedLarge = nullptr;
  TImage* imgInternetLarge = nullptr;
  TImage* imgUntrustedLarge = nullptr;
  TImage* imgIntranetLarge = nullptr;
  TUtxImage* imgActiveX = nullptr;
  TUtxImage* imgScript = nullptr;
  TUtxImage* imgApplet = nullptr;
  TUtxImage* imgCookie = nullptr;
  TUtxImage* imgFontDownload = nullptr;

 protected:
  friend class TCustomForm;
  TfrmVgtDialog(TComponent* AOwner, HWND ParentWnd);
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void FindComponents();
  void LoadPictures();
  void DiscardRows();
  void WheelScroll(bool Down);
  // Gives the owner window back its input when the dialog disabled it.
  void EnableOwner();
  // Counts a message loop run from inside one of the dialog's handlers.
  class TNestedLoop {
   public:
    explicit TNestedLoop(TfrmVgtDialog& Dialog);
    ~TNestedLoop();
    TNestedLoop(const TNestedLoop&) = delete;
    TNestedLoop& operator=(const TNestedLoop&) = delete;

   private:
    TfrmVgtDialog& FDialog;
  };
  // Shows a window of the dialog's modally and frees it; mrCancel when the dialog is to go.
  template <class F>
  TModalResult RunModal(F* Form);

  HWND FParentWnd = nullptr;
  bool FOwnerDisabled = false;
  int32_t FRowTop = 0;
  std::unique_ptr<TObjectList> FRowList;
  bool FRefreshRequested = false;
  bool FHighlevel = false;
  std::unique_ptr<TObjectList> FEntryList;
  int32_t FBuildDepth = 0;
  int FNestedLoops = 0;
  bool FFreePending = false;
  int32_t FTrustedX = 0, FInternetX = 0, FRestrictedX = 0;
  int32_t FTrustedWidth = 0, FInternetWidth = 0, FRestrictedWidth = 0;
};
