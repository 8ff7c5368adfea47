#include "common/trvGenericForms.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/trvAPI.h"
#include "common/trvCommonTexts.h"
#include "common/trvTools.h"
#include "unicode/UtxWindows.h"

namespace {

bool IsHighSurrogate(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLowSurrogate(wchar_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

// Where each character starts: a surrogate pair is one character, anything else (a lone
// surrogate too) one UTF-16 unit. The last entry is the text's length.
std::vector<size_t> CharacterStarts(const WideString& Text) {
  std::vector<size_t> starts;
  size_t i = 0;
  while (i < Text.size()) {
    starts.push_back(i);
    i += (IsHighSurrogate(Text[i]) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) ? 2 : 1;
  }
  starts.push_back(Text.size());
  return starts;
}

}  // namespace

// Line by line: the longest run of characters from the line's start that fits, found by doubling
// and then halving the count, so a long text costs a few measurements per line instead of one per
// character. A wrapped width only grows as characters are added to the end, which is what makes
// the search sound.
WideString BreakLongText(const WideString& Text, int MaxWidth, const TWrappedTextWidth& WrappedWidth) {
  const std::vector<size_t> starts = CharacterStarts(Text);
  const size_t count = starts.size() - 1;
  const auto fits = [&](size_t First, size_t Characters) {
    return WrappedWidth(Text.substr(starts[First], starts[First + Characters] - starts[First])) <= MaxWidth;
  };
  WideString result;
  result.reserve(Text.size() + Text.size() / 8);
  size_t line = 0;
  while (line < count) {
    const size_t left = count - line;
    // good: a count known to fit (at least one character, even one wider than MaxWidth, so that
    // every line takes something); bad: a count known not to, or one past the rest.
    size_t good = 1, bad = left + 1;
    for (size_t probe = 2; probe <= left; probe *= 2) {
      if (!fits(line, probe)) {
        bad = probe;
        break;
      }
      good = probe;
    }
    if (bad == left + 1 && good < left) {
      if (fits(line, left)) good = left;
      else bad = left;
    }
    while (bad - good > 1) {
      const size_t middle = good + (bad - good) / 2;
      if (fits(line, middle)) good = middle;
      else bad = middle;
    }
    result.append(Text, starts[line], starts[line + good] - starts[line]);
    line += good;
    if (line < count) result.append(L"\r\n");
  }
  return result;
}

WideString ExpandEscapedLineBreaks(const WideString& Text) {
  WideString result;
  result.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == L'\\' && i + 1 < Text.size() && Text[i + 1] == L'n') {
      result.append(L"\r\n");
      ++i;
    } else {
      result.push_back(Text[i]);
    }
  }
  return result;
}

// ======================= Message types =======================

TtrvWindowsImageIndex MessageTypeIcon(TtrvMessageType MsgType) {
  switch (MsgType) {
    case 1:
    case 8: return TtrvWindowsImageIndex::wicWarning;
    case 2:
    case 3: return TtrvWindowsImageIndex::wicInformation;
    case 4: return TtrvWindowsImageIndex::wicQues;
    case 5:
    case 6: return TtrvWindowsImageIndex::wicError;
    case 7: return TtrvWindowsImageIndex::wicHand;
    default: return TtrvWindowsImageIndex::wiNothing;
  }
}

const wchar_t* MessageTypeSound(TtrvMessageType MsgType) {
  switch (MsgType) {
    case 1:
    case 8: return L"SystemExclamation";
    case 2:
    case 3: return L"SystemAsterisk";
    case 5:
    case 6:
    case 7: return L"SystemHand";
    default: return nullptr;
  }
}

void PlayMessageSound(TtrvMessageType MsgType) {
  if (const wchar_t* alias = MessageTypeSound(MsgType)) ApiPlaySound(alias, nullptr, SND_ASYNC);
}

// ======================= TfrmGeneric =======================

void TfrmGeneric::AfterConstruction() {
  TtrvNoResourceForm::AfterConstruction();
  SetScaled(false);
  SetBounds(Left(), Top(), 300, 150);
  Font()->SetName(NarrowText(GetDialogFontName()));
  Font()->SetSize(8);
  FDesignFontInfo = new TtrvDesignFontInfo(this);
  // It measures the form's own font.
  FDesignFontInfo->SetLive(true);
}

TfrmGeneric::~TfrmGeneric() {
  if (FShown) PopCursor();
}

void TfrmGeneric::CreateParams(TCreateParams& Params) {
  TtrvNoResourceForm::CreateParams(Params);
  if (FOwnerWnd) Params.WndParent = FOwnerWnd;
}

void TfrmGeneric::DoShow() {
  // The arrow replaces an hour-glass for as long as the form lives; the pop is the destructor's.
  if (!FShown) {
    PushDefaultCursor();
    FShown = true;
  }
  TtrvNoResourceForm::DoShow();
}

void TfrmGeneric::ScaleToFont(const LOGFONTW* LogFont) {
  if (!LogFont) return;
  int m = 1, d = 1, buttonHeight = DefaultToolButtonHeight;
  FDesignFontInfo->ComputeScale(*LogFont, m, d, buttonHeight);
  ApplyDesignFont(LogFont, d, m, buttonHeight);
}

// ======================= TfrmMessageBox =======================

namespace {

constexpr int ButtonWidth = 80, ButtonHeight = 23, ButtonGap = 10;
constexpr int ButtonAreaHeight = 43, DetailsHeight = 69;

struct TButtonKind {
  TtrvMessageButton Caption;
  TModalResult Result;
};
const TButtonKind ButtonKinds[] = {
    {TtrvMessageButton::OK, mrOk},          {TtrvMessageButton::Yes, mrYes},
    {TtrvMessageButton::Retry, mrRetry},    {TtrvMessageButton::Ignore, mrIgnore},
    {TtrvMessageButton::SaveLater, mrSaveLater}, {TtrvMessageButton::CreateNew, mrCreateNew},
    {TtrvMessageButton::No, mrNo},          {TtrvMessageButton::Cancel, mrCancel},
    {TtrvMessageButton::Details, mrNone},
};
constexpr int DetailsKind = 8;

TtrvPanel* MakePanel(TfrmMessageBox* Box, TWinControl* Parent, TAlign Align, int Height) {
  auto* panel = new TtrvPanel(Box);
  panel->SetParent(Parent);
  panel->SetAlign(Align);
  if (Height >= 0) panel->SetHeight(Height);
  return panel;
}

RECT WorkAreaNear(const RECT& R) {
  if (TMonitor* monitor = Screen->MonitorFromRect(R, TMonitorDefaultTo::mdNearest)) return monitor->WorkareaRect();
  return GetPrimaryMonitor()->WorkareaRect();
}

}  // namespace

void TfrmMessageBox::AfterConstruction() {
  TfrmGeneric::AfterConstruction();
  SetBorderStyle(TFormBorderStyle::bsDialog);
  FDetailsPanel = MakePanel(this, this, TAlign::alBottom, DetailsHeight);
  FDetailsPanel->SetVisible(false);
  FDetailsPanel->SetBorderWidth(10);
  FButtonArea = MakePanel(this, this, TAlign::alBottom, ButtonAreaHeight);
  FButtonRow = MakePanel(this, FButtonArea, TAlign::alNone, ButtonAreaHeight);
  FIconColumn = MakePanel(this, this, TAlign::alLeft, -1);
  FIconColumn->SetWidth(GetSystemMetrics(SM_CXICON) + 40);
  FIconColumn->SetVisible(false);
  FIconTop = MakePanel(this, FIconColumn, TAlign::alTop, GetSystemMetrics(SM_CYICON) + 20);
  FClientPanel = MakePanel(this, this, TAlign::alClient, -1);
  FClientPanel->SetBorderWidth(3);
  // The label sits in a scroll box, so that a message taller than the work area can be read to
  // its end; one that fits shows no scroll bar.
  FTextBox = new TUtxScrollBox(this);
  FTextBox->SetParent(FClientPanel);
  FTextBox->SetBorderStyle(TBorderStyle::bsNone);
  FTextBox->SetAlign(TAlign::alClient);
  FTextLabel = new TUtxLabel(this);
  FTextLabel->SetParent(FTextBox);
  FTextLabel->SetWordWrap(true);
  FTextLabel->SetAutoSize(true);
  FTextLabel->SetLeft(0);
  // A message is shown as it is: an "&" in it is no accelerator and is not dropped.
  FTextLabel->SetShowAccelChar(false);
  FIcon = new TtrvWindowsIcon(this);
  FIcon->SetParent(FIconTop);
  FIcon->SetAlign(TAlign::alClient);
  FIcon->SetCenter(true);
}

void TfrmMessageBox::SetMessageType(TtrvMessageType MsgType) {
  const TtrvWindowsImageIndex icon = MessageTypeIcon(MsgType);
  FIconColumn->SetVisible(icon != TtrvWindowsImageIndex::wiNothing);
  FIcon->SetWindowsImage(icon);
}

void TfrmMessageBox::SetText(const WideString& Text) {
  FText = Text;
  FTextLabel->SetCaption(Text);
}

TUtxButton* TfrmMessageBox::AddButton(int Kind, bool Escape) {
  if (Kind < 0 || Kind > DetailsKind) throw ETRVException(L"TfrmMessageBox.SetButtons: Invalid button");
  auto* button = new TUtxButton(this);
  button->SetParent(FButtonRow);
  const int index = static_cast<int>(FButtons.size());
  button->SetBounds(index * (ButtonWidth + ButtonGap), ButtonGap, ButtonWidth, ButtonHeight);
  button->SetCaption(GetButtonCaption(ButtonKinds[Kind].Caption));
  button->SetModalResult(ButtonKinds[Kind].Result);
  button->SetCancel(Escape);
  if (Kind == DetailsKind) button->OnClick = [this](TObject*) { ToggleDetails(); };
  FButtons.push_back(button);
  if (Escape) FEscapeButton = button;
  return button;
}

void TfrmMessageBox::SetButtons(TtrvMessageButtons Buttons) {
  int escapeKind = -1;
  for (int kind : {7, 6, 3})
    if (Buttons & (1u << kind)) {
      escapeKind = kind;
      break;
    }
  for (int kind = 0; kind <= DetailsKind; ++kind)
    if (Buttons & (1u << kind)) AddButton(kind, kind == escapeKind);
  if (FButtons.empty()) AddButton(0, true);
  TUtxButton* focused = FButtons.front();
  if ((Buttons & ButtonsFocusSecond) && FButtons.size() >= 2) focused = FButtons[1];
  else if ((Buttons & ButtonsFocusThird) && FButtons.size() >= 3) focused = FButtons[2];
  SetActiveControl(focused);
  FButtonRow->SetBounds(FButtonRow->Left(), 0, ButtonRowWidth(), ButtonAreaHeight);
}

int TfrmMessageBox::ButtonRowWidth() const {
  const int n = static_cast<int>(FButtons.size());
  return n == 0 ? 0 : n * ButtonWidth + (n - 1) * ButtonGap;
}

int TfrmMessageBox::MaxTextWidth() {
  const int nonClient = Width() - ClientWidth();
  return FIconColumn->Visible() ? 630 - FIconColumn->Width() - nonClient : 620 - nonClient;
}

int TfrmMessageBox::WrappedLabelWidth(const WideString& Text, int Limit) {
  FTextLabel->SetAutoSize(false);
  FTextLabel->SetWidth(Limit);
  FTextLabel->SetCaption(Text);
  FTextLabel->SetAutoSize(true);
  return FTextLabel->Width();
}

void TfrmMessageBox::LayOutText(int Limit) {
  if (WrappedLabelWidth(FText, Limit) <= Limit) return;
  const WideString broken =
      ::BreakLongText(FText, Limit, [this, Limit](const WideString& T) { return WrappedLabelWidth(T, Limit); });
  WrappedLabelWidth(broken, Limit);
}

void TfrmMessageBox::BreakLongText() {
  FText = FTextLabel->GetCaption();
  LayOutText(MaxTextWidth());
}

void TfrmMessageBox::UpdateLayout() {
  HandleNeeded();
  const int nonClientWidth = Width() - ClientWidth();
  const int nonClientHeight = Height() - ClientHeight();
  const bool iconShown = FIconColumn->Visible();
  const RECT area = WorkAreaNear(BoundsRect());
  const int areaHeight = area.bottom - area.top;
  const int iconTop = FIconTop->Height();
  const auto labelTopFor = [iconTop](int LabelHeight) { return iconTop > LabelHeight + 5 ? (iconTop - LabelHeight) / 2 : 5; };
  LayOutText(MaxTextWidth());
  // Too tall for the work area: the text scrolls, and the scroll bar takes its width from it.
  int scrollBar = 0;
  const int labelHeight = FTextLabel->Height();
  if (labelTopFor(labelHeight) + labelHeight + ButtonAreaHeight + nonClientHeight > areaHeight) {
    scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    LayOutText(MaxTextWidth() - scrollBar);
  }
  const int labelWidth = FTextLabel->Width() + scrollBar, finalLabelHeight = FTextLabel->Height();
  const int textWidth = iconShown ? labelWidth + FIconColumn->Width() + nonClientWidth + 10
                                  : labelWidth + nonClientWidth + 20;
  const int width = std::min(std::max(textWidth, ButtonRowWidth() + 20), static_cast<int>(area.right - area.left));
  const int labelTop = labelTopFor(finalLabelHeight);
  const int height = std::min(std::max(labelTop + finalLabelHeight + ButtonAreaHeight + nonClientHeight,
                                       ButtonAreaHeight + iconTop + nonClientHeight),
                              areaHeight);
  FTextLabel->SetTop(labelTop);
  FTextLabel->SetLeft(iconShown ? 0 : 10);
  SetBounds(Left(), Top(), width, height);
  FButtonRow->SetLeft((ClientWidth() - ButtonRowWidth()) / 2);
}

void TfrmMessageBox::ToggleDetails() {
  if (FDetailsPanel->Visible()) {
    FDetailsPanel->SetVisible(false);
    SetHeight(Height() - FDetailsPanel->Height());
    return;
  }
  if (!FDetailsMemo) {
    FDetailsMemo = new TUtxMemo(this);
    FDetailsMemo->SetParent(FDetailsPanel);
    FDetailsMemo->SetScrollBars(TScrollStyle::ssVertical);
    FDetailsMemo->SetWordWrap(true);
    FDetailsMemo->SetReadOnly(true);
    FDetailsMemo->SetText(FDetails);
    FDetailsMemo->SetAlign(TAlign::alClient);
  }
  // Placed at the bottom of the client area first, so that aligning puts it under the buttons.
  FDetailsPanel->SetTop(ClientHeight());
  FDetailsPanel->SetAlign(TAlign::alBottom);
  FDetailsPanel->SetVisible(true);
  SetHeight(Height() + FDetailsPanel->Height());
}

// ======================= Showing =======================

TModalResult ShowMessageBox(HWND OwnerWnd, const WideString& Caption, const WideString& Text,
                            const WideString& Details, TtrvMessageButtons Buttons, TtrvMessageType MsgType,
                            const LOGFONTW* LogFont) {
  std::unique_ptr<TfrmMessageBox> box(TfrmGeneric::Make<TfrmMessageBox>(Application, OwnerWnd));
  PlayMessageSound(MsgType);
  box->HandleNeeded();
  box->SetMessageType(MsgType);
  const WideString caption = Caption.empty() && OwnerWnd ? GetWindowTextWide(OwnerWnd) : Caption;
  SetWideControlText(box.get(), caption);
  box->SetText(ExpandEscapedLineBreaks(Text));
  box->SetDetails(ExpandEscapedLineBreaks(Details));
  box->SetButtons(Buttons);
  box->ScaleToFont(LogFont);
  box->UpdateLayout();
  box->CenterOnWindow(OwnerWnd);
  const TModalResult result = box->ShowModal();
  return result == mrNone ? mrCancel : result;
}

TModalResult ShowMessageBoxDefault(HWND OwnerWnd, const WideString& Caption, const WideString& Text,
                                   const WideString& Details, TtrvMessageType MsgType) {
  return ShowMessageBox(OwnerWnd, Caption, Text, Details, ButtonsOKDetails, MsgType, nullptr);
}

void ShowErrorBox(HWND OwnerWnd, const WideString& Caption, const WideString& Text, const Exception& E,
                  TtrvMessageType MsgType) {
  ShowMessageBoxDefault(OwnerWnd, Caption, Text, GetExceptionText(E), MsgType);
}
