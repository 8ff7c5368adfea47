#include "zonedialog/fVgtDialog.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include <urlmon.h>

#include "base/DeviceContext.h"
#include "base/Scope.h"
#include "classlib/Themes.h"
#include "common/trvCommonTexts.h"
#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "common/trvWideWinInet.h"
#include "common/trvZoneServices.h"
#include "platform/ZoneRegistry.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxGraphics.h"
#include "zonedialog/fAbout.h"
#include "zonedialog/fvgtOptions.h"
#include "zonedialog/uVgtMessages.h"
#include "zonedialog/vgtImageList.h"

namespace {

constexpr TColor kRowBeginColor = 0xFFFFFF;
constexpr TColor kButtonsEndColor = 0xFFFF00;
constexpr TColor kTextEndColor = 0xB3B3FF;

// INTERNET_SCHEME numbers as the client sends them.
enum : int32_t { vgtSchemeFtp = 1, vgtSchemeHttp = 3, vgtSchemeHttps = 4, vgtSchemeFile = 5 };

WideString Tr(const wchar_t* Text) { return Translate(Text); }
WideString TrProduct(const wchar_t* Text) { return FormatIndexed(Translate(Text), {ProductName}); }

int TextWidthIn(TFont* Font, const WideString& Text) {
  const TWindowDC dc;
  const TSelectedObject selected(dc, Font->Handle());
  SIZE size{0, 0};
  WideTextExtentOfDC(dc, Text, size);
  return size.cx;
}

// Raises the build depth while it lives, so radio buttons set in code run no zone change.
using TBuildScope = TCounterGuard<int32_t>;

}  // namespace

TfrmVgtDialog::TfrmVgtDialog(TComponent* AOwner, HWND ParentWnd)
    : TtrvForm(AOwner), FParentWnd(ParentWnd && IsWindow(ParentWnd) ? ParentWnd : nullptr) {}

TfrmVgtDialog* TfrmVgtDialog::CreateZoneDialog(TComponent* Owner, HWND ParentWnd) {
  std::unique_ptr<TfrmVgtDialog> form(new TfrmVgtDialog(Owner, ParentWnd));
  form->InitInstance();
  form->AfterConstruction();
  return form.release();
}

TfrmVgtDialog::~TfrmVgtDialog() = default;

void TfrmVgtDialog::CreateParams(TCreateParams& Params) {
  TtrvForm::CreateParams(Params);
  Params.WndParent = FParentWnd;
}

void TfrmVgtDialog::FindComponents() {
  CoolBar1 = FindDesigned<TCoolBar>(this, L"CoolBar1");
  trvToolBar1 = FindDesigned<TToolBar>(this, L"trvToolBar1");
  sbEntries = FindDesigned<TUtxScrollBox>(this, L"sbEntries");
  cmdClose = FindDesigned<TUtxButton>(this, L"cmdClose");
  actRefresh = FindDesigned<TUtxAction>(this, L"actRefresh");
  actOptions = FindDesigned<TUtxAction>(this, L"actOptions");
  actInfo = FindDesigned<TUtxAction>(this, L"actInfo");
  actDomains = FindDesigned<TUtxAction>(this, L"actDomains");
  imgTrustedLarge = FindDesigned<TImage>(this, L"imgTrustedLarge");
  imgInternetLarge = FindDesigned<TImage>(this, L"imgInternetLarge");
  imgUntrustedLarge = FindDesigned<TImage>(this, L"imgUntrustedLarge");
  imgIntranetLarge = FindDesigned<TImage>(this, L"imgIntranetLarge");
  imgActiveX = FindDesigned<TUtxImage>(this, L"imgActiveX");
  imgScript = FindDesigned<TUtxImage>(this, L"imgScript");
  imgApplet = FindDesigned<TUtxImage>(this, L"imgApplet");
  imgCookie = FindDesigned<TUtxImage>(this, L"imgCookie");
  imgFontDownload = FindDesigned<TUtxImage>(this, L"imgFontDownload");
}

void TfrmVgtDialog::LoadPictures() {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  const std::pair<TImage*, const wchar_t*> pictures[] = {
      {imgTrustedLarge, L"ZONE_TRUSTED"},   {imgInternetLarge, L"ZONE_INTERNET"},
      {imgUntrustedLarge, L"ZONE_UNTRUSTED"}, {imgIntranetLarge, L"ZONE_INTRANET"},
      {imgActiveX, L"FEATURE_ACTIVEX"},     {imgScript, L"FEATURE_SCRIPT"},
      {imgApplet, L"FEATURE_APPLET"},       {imgCookie, L"FEATURE_COOKIE"},
      {imgFontDownload, L"FEATURE_FONT"}};
  for (const auto& [image, name] : pictures) {
    // A picture the program does not carry leaves its place empty.
    try {
      image->Picture()->LoadFromResourceName(module, name);
    } catch (const Exception&) {
    }
  }
}

void TfrmVgtDialog::FormCreate(TObject*) {
  FindComponents();
  FRowList = std::make_unique<TObjectList>(false);
  FEntryList = std::make_unique<TObjectList>(true);
  FHighlevel = ReadRegistryBoolean(ProductRegistryKey, ProductHighlevelValue, false);
  SetDialogFont(Font());
  LoadPictures();
  CoolBar1->SetImages(VgtToolbarImages());
  trvToolBar1->SetImages(VgtToolbarImages());
  CenterOnWindow(FParentWnd);
  FRowTop = 0;
  Localise();
}

void TfrmVgtDialog::FormDestroy(TObject*) {
  // A client may let go while the dialog is shown: the owner it disabled must not stay dead.
  EnableOwner();
  // The rows' controls belong to the form; the lists only go.
  FRowList.reset();
  FEntryList.reset();
  WriteRegistryBoolean(ProductRegistryKey, ProductHighlevelValue, FHighlevel);
}

void TfrmVgtDialog::Localise() {
  UseLanguage(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
  SetWideControlText(this, ProductName);
  SetApplicationTitle(ProductName);

  SetWideControlText(cmdClose, Tr(L"Close"));
  actRefresh->SetCaption(Tr(L"Refresh"));
  actRefresh->SetHint(Tr(L"Parse website again for used domains."));
  actRefresh->SetImageIndex(vgtImageRefresh);
  actOptions->SetCaption(Tr(L"Options"));
  actOptions->SetHint(TrProduct(L"Show the options for %1."));
  actOptions->SetImageIndex(vgtImageOptions);
  actDomains->SetCaption(Tr(L"Sub-domains"));
  actDomains->SetHint(Tr(L"Show all subdomains instead of just secondlevel domains."));
  actDomains->SetChecked(!FHighlevel);
  // Its button keeps its own picture; the link would give it the action's.
  actDomains->SetImageIndex(vgtImageSubdomains);
  actInfo->SetCaption(Tr(L"Info"));
  actInfo->SetHint(TrProduct(L"Info about %1"));
  actInfo->SetImageIndex(vgtImageInfo);
  SetWideHint(imgActiveX, Tr(L"This site contains ActiveX, Java or plugins"));
  SetWideHint(imgScript, Tr(L"This site contains script"));
  SetWideHint(imgApplet, Tr(L"This site contains a Java applet"));
  SetWideHint(imgFontDownload, Tr(L"This website contains embedded fonts"));

  trvToolBar1->SetAutoSize(false);
  trvToolBar1->SetAutoSize(true);

  const WideString trusted = Tr(L"Trusted"), internet = Tr(L"Internet"), restricted = Tr(L"Restricted");
  FTrustedWidth = TextWidthIn(Font(), trusted) + 40;
  FInternetWidth = TextWidthIn(Font(), internet) + 40;
  FRestrictedWidth = TextWidthIn(Font(), restricted) + 40;
  FRestrictedX = sbEntries->Width() - FRestrictedWidth - 5 - GetSystemMetrics(SM_CXVSCROLL);
  FInternetX = FRestrictedX - FInternetWidth;
  FTrustedX = FInternetX - FTrustedWidth;

  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (auto* button = dynamic_cast<TToolButton*>(c)) {
      button->SetAutoSize(false);
      button->SetAutoSize(true);
    } else if (auto* panel = dynamic_cast<TvgtPanel*>(c)) {
      UpdateRow(panel);
    } else if (auto* image = dynamic_cast<TvgtImage*>(c)) {
      if (image->Template) SetWideHint(image, GetWideHint(image->Template));
    } else if (auto* radio = dynamic_cast<TvgtRadioButton*>(c)) {
      switch (radio->ZoneTag) {
        case vgtZoneTrusted:
          SetWideControlText(radio, trusted);
          radio->SetBounds(FTrustedX, radio->Top(), FTrustedWidth, radio->Height());
          break;
        case vgtZoneInternet:
          SetWideControlText(radio, internet);
          radio->SetBounds(FInternetX, radio->Top(), FInternetWidth, radio->Height());
          break;
        default:
          SetWideControlText(radio, restricted);
          radio->SetBounds(FRestrictedX, radio->Top(), FRestrictedWidth, radio->Height());
          break;
      }
    }
  }
}

TvgtDomainEntry* TfrmVgtDialog::Entries(int Index) const {
  return static_cast<TvgtDomainEntry*>(FEntryList->Items(Index));
}

void TfrmVgtDialog::AddRow(const WideString& Domain, const WideString& VGTDomain, int32_t nScheme, uint32_t Flags) {
  TBuildScope building(FBuildDepth);
  // Adding a row moves it several times; each move would lay out every row already there. The rows
  // are laid out once, at the end; a failure there reaches the caller. Should the row fail first,
  // they are laid out still, and a second failure of the layout does not replace the first.
  sbEntries->DisableAlign();
  auto alignOnFailure = ScopeExit([this] {
    try {
      sbEntries->EnableAlign();
    } catch (...) {
    }
  });
  auto* entry = new TvgtDomainEntry(Domain, VGTDomain, nScheme, Flags);
  FEntryList->Add(entry);

  auto* panel = new TvgtPanel(this);
  auto* title = new TvgtLabel(this);
  auto* line = new TvgtLine(this);
  auto* internet = new TvgtRadioButton(this);
  auto* trusted = new TvgtRadioButton(this);
  auto* restricted = new TvgtRadioButton(this);
  auto* zoneIcon = new TImage(this);
  auto* info = new TUtxLabel(this);
  entry->TrustedRadio = trusted;
  entry->InternetRadio = internet;
  entry->RestrictedRadio = restricted;
  entry->ZoneIcon = zoneIcon;
  entry->IntranetTemplate = imgIntranetLarge;
  entry->UntrustedTemplate = imgUntrustedLarge;
  entry->InternetTemplate = imgInternetLarge;
  entry->TrustedTemplate = imgTrustedLarge;
  entry->InfoLabel = info;
  for (TObject* c : std::initializer_list<TObject*>{panel, title, line, internet, trusted, restricted, zoneIcon, info})
    FRowList->Add(c);

  panel->Entry = entry;
  panel->SetBeginColor(kRowBeginColor);
  panel->SetEndColor(kButtonsEndColor);
  panel->SetMarginTop(20);
  panel->SetHorizontal(true);
  panel->SetParent(sbEntries);

  title->SetBounds(47, 4, title->Width(), title->Height());
  title->SetParent(panel);
  title->SetParentFont(false);
  title->Font()->Assign(panel->Font());
  // The panel took its font before the dialog font was chosen.
  SetDialogFont(title->Font());
  title->Font()->SetSize(12);
  TFontStyles style = title->Font()->Style();
  title->Font()->SetStyle(style.Include(TFontStyle::fsBold));
  // The title must read bold also where the platform draws the dialog font's bold as regular.
  UseFaceThatDrawsBold(title->Font());
  title->SetTransparent(true);
  SetWideControlText(title, VisibleDomainText(Domain));
  title->SetAutoSize(false);
  title->SetAutoSize(true);

  const int y = title->Top() + title->Height() + 5;
  info->SetBounds(title->Left(), y, info->Width(), info->Height());
  info->SetAutoSize(true);
  info->SetTransparent(true);
  info->SetVisible(false);
  info->SetParent(panel);

  const struct {
    TvgtRadioButton* Radio;
    int32_t X, Width, Zone;
    const wchar_t* Caption;
  } radios[] = {{trusted, FTrustedX, FTrustedWidth, vgtZoneTrusted, L"Trusted"},
                {internet, FInternetX, FInternetWidth, vgtZoneInternet, L"Internet"},
                {restricted, FRestrictedX, FRestrictedWidth, vgtZoneRestricted, L"Restricted"}};
  for (const auto& r : radios) {
    r.Radio->SetBounds(r.X, y, r.Width, r.Radio->Height());
    r.Radio->ZoneTag = r.Zone;
    SetWideControlText(r.Radio, Tr(r.Caption));
    r.Radio->OnClick = [this](TObject* Sender) { ZoneClick(Sender); };
    r.Radio->SetColor(panel->EndColor());
    r.Radio->SetParent(panel);
  }

  const int height = std::max(info->Height(), std::max(restricted->Height(), 16)) + y + 5;
  panel->SetBounds(0, FRowTop, sbEntries->Width(), height);
  if (!ThemeServices()->ThemesEnabled()) panel->SetMarginBottom(height - y);

  zoneIcon->SetBounds(3, (height - 32) / 2, 32, 32);
  zoneIcon->SetParent(panel);
  line->SetBounds(0, panel->ClientHeight() - 1, panel->ClientWidth(), 1);
  line->SetLinePosition(TtrvLinePosition::trvlpBottom);
  line->SetColor(clBlack);
  line->SetParent(panel);
  FRowTop = panel->Top() + panel->Height() + 1;

  int x = title->Left();
  const std::pair<bool, TUtxImage*> features[] = {{entry->HasActiveX, imgActiveX},
                                                  {entry->HasApplet, imgApplet},
                                                  {entry->HasScript, imgScript},
                                                  {entry->HasFontFace, imgFontDownload}};
  for (const auto& [present, templ] : features) {
    if (!present) continue;
    auto* icon = new TvgtImage(this);
    icon->SetBounds(x, y, templ->Width(), templ->Height());
    icon->Picture()->Assign(templ->Picture());
    icon->SetParent(panel);
    x += icon->Width() + 4;
    icon->Template = templ;
    SetWideHint(icon, GetWideHint(templ));
    FRowList->Add(icon);
  }
  info->SetLeft(x);
  UpdateRow(panel);
  alignOnFailure.Dismiss();
  sbEntries->EnableAlign();
}

void TfrmVgtDialog::UpdateRow(TvgtPanel* Panel) {
  TvgtDomainEntry* e = Panel ? Panel->Entry : nullptr;
  if (!e) return;
  // Checking a radio button raises its click; inside this scope the click changes nothing.
  TBuildScope updating(FBuildDepth);
  auto showButtons = [&](TvgtRadioButton* Radio, TImage* Picture) {
    for (TvgtRadioButton* r : {e->TrustedRadio, e->InternetRadio, e->RestrictedRadio}) r->SetVisible(true);
    Radio->SetChecked(true);
    e->InfoLabel->SetVisible(false);
    Panel->SetEndColor(kButtonsEndColor);
    e->ZoneIcon->Picture()->Assign(Picture->Picture());
  };
  auto showText = [&](const wchar_t* Text, TImage* Picture) {
    for (TvgtRadioButton* r : {e->TrustedRadio, e->InternetRadio, e->RestrictedRadio}) r->SetVisible(false);
    SetWideControlText(e->InfoLabel, Tr(Text));
    e->InfoLabel->SetVisible(true);
    Panel->SetEndColor(kTextEndColor);
    e->ZoneIcon->Picture()->Assign(Picture->Picture());
  };
  switch (e->Scheme) {
    case vgtSchemeFtp:
    case vgtSchemeHttp:
    case vgtSchemeHttps:
      switch (GetUrlZone(e)) {
        case vgtZoneIntranet:
          showText(L"This website is part of your local intranet.", e->IntranetTemplate);
          break;
        case vgtZoneTrusted:
          showButtons(e->TrustedRadio, e->TrustedTemplate);
          break;
        case vgtZoneInternet:
          showButtons(e->InternetRadio, e->InternetTemplate);
          break;
        case vgtZoneRestricted:
          showButtons(e->RestrictedRadio, e->UntrustedTemplate);
          break;
        default:
          showText(L"This website is mapped to an unknown zone. ", e->InternetTemplate);
          break;
      }
      break;
    case vgtSchemeFile:
      showText(L"Files are part of the local intranet.", e->IntranetTemplate);
      break;
    default:
      showText(L"This website is using an unsupported protocol.", e->InternetTemplate);
      break;
  }
}

int32_t TfrmVgtDialog::GetUrlZone(TvgtDomainEntry* Entry) {
  return static_cast<int32_t>(GetUrlZoneOrInternet(Entry->VGTDomain));
}

TvgtDomainEntry* TfrmVgtDialog::EntryOfRadio(TObject* Radio) {
  auto* control = dynamic_cast<TControl*>(Radio);
  auto* panel = control ? dynamic_cast<TvgtPanel*>(control->Parent()) : nullptr;
  return panel ? panel->Entry : nullptr;
}

EVgtZoneMove::EVgtZoneMove(const WideString& Msg, const WideString& AUserText)
    : ETRVException(Msg), UserText(AUserText) {}

namespace {

WideString ZoneName(DWORD Zone) {
  switch (Zone) {
    case vgtZoneTrusted: return Tr(L"Trusted");
    case vgtZoneInternet: return Tr(L"Internet");
    case vgtZoneRestricted: return Tr(L"Restricted");
    default: return std::to_wstring(Zone);
  }
}

// Lifts the Trusted zone's "require server verification" for the time of a move and puts it
// back unless the move is kept: a move that fails leaves the zone's protection as it was.
class TVerificationLift {
 public:
  TVerificationLift(IInternetZoneManager* Zones, bool Lift)
      : FZones(Zones), FLifted(Lift && Zones &&
                               ClearZoneFlag(Zones, URLZONE_TRUSTED, ZAFLAGS_REQUIRE_VERIFICATION) == S_OK) {}
  ~TVerificationLift() {
    if (!FLifted) return;
    ZONEATTRIBUTES attributes;
    if (!ReadZoneAttributes(FZones, URLZONE_TRUSTED, attributes)) return;
    attributes.cbSize = sizeof attributes;
    attributes.dwFlags |= ZAFLAGS_REQUIRE_VERIFICATION;
    FZones->SetZoneAttributes(URLZONE_TRUSTED, &attributes);
  }
  TVerificationLift(const TVerificationLift&) = delete;
  TVerificationLift& operator=(const TVerificationLift&) = delete;
  void Keep() { FLifted = false; }

 private:
  IInternetZoneManager* FZones;
  bool FLifted;
};

}  // namespace

void TfrmVgtDialog::ZoneClick(TObject* Sender) {
  if (FBuildDepth > 0) return;
  auto* radio = dynamic_cast<TvgtRadioButton*>(Sender);
  TvgtDomainEntry* entry = EntryOfRadio(Sender);
  if (!radio || !entry) return;
  // The question and the error box run message loops: no other click runs inside this one.
  TBuildScope busy(FBuildDepth);
  TNestedLoop loop(*this);
  try {
    SetZone(entry, radio->ZoneTag);
  } catch (const EVgtZoneMove& e) {
    ShowVgtError(HandleAllocated() ? Handle() : nullptr, ProductName, e.UserText, GetExceptionText(e));
  } catch (const std::exception& e) {
    ShowVgtError(HandleAllocated() ? Handle() : nullptr, ProductName,
                 Tr(L"We're sorry, but there was an unexpected error changing the security zone."),
                 GetExceptionText(e));
  }
  if (!FFreePending) UpdateRow(dynamic_cast<TvgtPanel*>(radio->Parent()));
}

void TfrmVgtDialog::SetZone(TvgtDomainEntry* Entry, int32_t Target) {
  const WideString& url = Entry->VGTDomain;
  const WideString shown = VisibleDomainText(Entry->Domain);
  // A name that reads as another one is never put into a zone; refused before anything changes.
  if (HasHiddenControlCharacter(url) || HasHiddenControlCharacter(Entry->Domain))
    throw EVgtZoneMove(L"The address holds characters that hide or reorder its text",
                       FormatIndexed(Tr(L"The address of \"%1\" contains characters that hide or reorder its "
                                        L"letters. Its security zone cannot be changed."),
                                     {shown}));
  Microsoft::WRL::ComPtr<IInternetZoneManager> zones;
  bool liftVerification = false;
  if (Target == vgtZoneTrusted) {
    auto parsed = TtrvUrlCracker::CreateFromUrl(url);
    if (parsed->SchemeNumber() != vgtSchemeHttps) {
      zones = CreateZoneManager();
      if (ZoneHasFlag(zones.Get(), URLZONE_TRUSTED, ZAFLAGS_REQUIRE_VERIFICATION)) {
        const WideString question = FormatIndexed(
            Tr(L"The current settings require server verification (https:) for all sites in the trusted zone. %1 can "
               L"change this setting so that \"%2\" can be add to the trusted zone. Do you want to change this "
               L"setting and add the site?"),
            {ProductName, Entry->Domain});
        if (!AskVgtQuestion(HandleAllocated() ? Handle() : nullptr, ProductName, question)) return;
        liftVerification = true;
      }
    }
  }
  Microsoft::WRL::ComPtr<IInternetSecurityManager> security = CreateSecurityManager();
  const DWORD before = MapUrlToZone(security.Get(), url);
  if (static_cast<int32_t>(before) == Target) return;
  // The verification goes only together with a mapping the system applies.
  TVerificationLift lift(zones.Get(), liftVerification);
  const bool removed = SUCCEEDED(RemoveZoneMapping(security.Get(), before, url));
  DWORD now = MapUrlToZone(security.Get(), url);
  bool added = false;
  if (static_cast<int32_t>(now) != Target) {
    const HRESULT hr = AddZoneMapping(security.Get(), static_cast<DWORD>(Target), url);
    added = SUCCEEDED(hr);
    if (added) now = MapUrlToZone(security.Get(), url);
    else if (hr != E_INVALIDARG && hr != HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED)) {
      if (removed) AddZoneMapping(security.Get(), before, url);
      OleCheck(hr);
    }
  }
  if (static_cast<int32_t>(now) == Target) {
    lift.Keep();
    return;
  }
  // Not moved: the site keeps the zone it had, and the user hears which one the system applies.
  if (added) RemoveZoneMapping(security.Get(), static_cast<DWORD>(Target), url);
  if (removed) AddZoneMapping(security.Get(), before, url);
  now = MapUrlToZone(security.Get(), url);
  throw EVgtZoneMove(L"The system does not apply the mapping to the address",
                     FormatIndexed(Tr(L"\"%1\" could not be moved into the zone \"%2\": the system places its "
                                      L"address in the zone \"%3\". Nothing was changed."),
                                   {shown, ZoneName(static_cast<DWORD>(Target)), ZoneName(now)}));
}

void TfrmVgtDialog::ShowRows() {
  sbEntries->SetVisible(true);
  Screen->SetCursor(crDefault);
}

void TfrmVgtDialog::HideRows() {
  Screen->SetCursor(crHourGlass);
  sbEntries->SetVisible(false);
}

bool TfrmVgtDialog::TakeRefreshWanted() {
  const bool wanted = FRefreshRequested;
  FRefreshRequested = false;
  return wanted;
}

void TfrmVgtDialog::DiscardRows() {
  FRowTop = 0;
  HideRows();
  // Children go before their panel.
  for (int i = FRowList->Count() - 1; i >= 0; --i) delete FRowList->Items(i);
  FRowList->Clear();
  FEntryList->Clear();
}

void TfrmVgtDialog::actRefreshExecute(TObject*) {
  DiscardRows();
  FRefreshRequested = true;
}

void TfrmVgtDialog::actDomainsExecute(TObject*) {
  const bool old = FHighlevel;
  FHighlevel = !old;
  actDomains->SetChecked(old);
  actRefresh->Execute();
}

TfrmVgtDialog::TNestedLoop::TNestedLoop(TfrmVgtDialog& Dialog) : FDialog(Dialog) { ++FDialog.FNestedLoops; }

TfrmVgtDialog::TNestedLoop::~TNestedLoop() {
  if (--FDialog.FNestedLoops == 0 && FDialog.FFreePending) FDialog.Release();
}

void TfrmVgtDialog::FreeWhenIdle() {
  if (FNestedLoops == 0) {
    Free();
    return;
  }
  // The loop's window is closed; the dialog goes once the loop has returned.
  FFreePending = true;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form != this && form->Visible() && form->ModalResult() == mrNone) form->SetModalResult(mrCancel);
  }
  if (Visible()) Close();
}

template <class F>
TModalResult TfrmVgtDialog::RunModal(F* Form) {
  TNestedLoop loop(*this);
  std::unique_ptr<F, void (*)(F*)> owned(Form, [](F* f) { f->Free(); });
  Form->CenterOnWindow(Handle());
  const TModalResult result = Form->ShowModal();
  return FFreePending ? mrCancel : result;
}

void TfrmVgtDialog::actOptionsExecute(TObject*) {
  if (RunModal(TCustomForm::Create<TfrmVgtOptions>(this)) == mrOk) {
    HideRows();
    Localise();
    ShowRows();
  }
}

void TfrmVgtDialog::actInfoExecute(TObject*) { RunModal(TCustomForm::Create<TfrmAbout>(this)); }

void TfrmVgtDialog::cmdCloseClick(TObject*) { Close(); }

void TfrmVgtDialog::EnableOwner() {
  if (!FOwnerDisabled) return;
  FOwnerDisabled = false;
  if (FParentWnd && IsWindow(FParentWnd)) EnableWindow(FParentWnd, TRUE);
}

void TfrmVgtDialog::FormShow(TObject*) {
  if (FParentWnd && IsWindow(FParentWnd)) {
    EnableWindow(FParentWnd, FALSE);
    FOwnerDisabled = true;
  }
  // The program shows no task-bar button of its own.
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TfrmVgtDialog::FormActivate(TObject*) { ShowWindow(Application->Handle(), SW_HIDE); }

void TfrmVgtDialog::FormClose(TObject*, TCloseAction& Action) {
  if (FParentWnd && IsWindow(FParentWnd)) {
    EnableWindow(FParentWnd, TRUE);
    FOwnerDisabled = false;
    SetForegroundWindow(FParentWnd);
    SetActiveWindow(FParentWnd);
  }
  Action = TCloseAction::caHide;
}

void TfrmVgtDialog::WheelScroll(bool Down) {
  if (!sbEntries->HandleAllocated()) return;
  if (!(GetWindowLongW(sbEntries->Handle(), GWL_STYLE) & WS_VSCROLL)) return;
  SendMessageW(sbEntries->Handle(), WM_VSCROLL, Down ? SB_LINEDOWN : SB_LINEUP, 0);
}

void TfrmVgtDialog::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    WheelScroll(GET_WHEEL_DELTA_WPARAM(Message.WParam) < 0);
    Message.Result = 0;
    return;
  }
  TtrvForm::Dispatch(Message);
}

VGT_PUBLISH(TfrmVgtDialog) {
  P.Handler(L"FormCreate", &TfrmVgtDialog::FormCreate)
      .Handler(L"FormDestroy", &TfrmVgtDialog::FormDestroy)
      .Handler(L"FormShow", &TfrmVgtDialog::FormShow)
      .Handler(L"FormActivate", &TfrmVgtDialog::FormActivate)
      .Handler(L"FormClose", &TfrmVgtDialog::FormClose)
      .Handler(L"cmdCloseClick", &TfrmVgtDialog::cmdCloseClick)
      .Handler(L"actRefreshExecute", &TfrmVgtDialog::actRefreshExecute)
      .Handler(L"actDomainsExecute", &TfrmVgtDialog::actDomainsExecute)
      .Handler(L"actOptionsExecute", &TfrmVgtDialog::actOptionsExecute)
      .Handler(L"actInfoExecute", &TfrmVgtDialog::actInfoExecute);
}
