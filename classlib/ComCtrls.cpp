#include "classlib/ComCtrls.h"

#include <algorithm>

#include "base/Scope.h"
#include "classlib/Strings.h"

namespace {

void InitTabClass() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

void InitBarClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

void InitCoolClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_COOL_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

}  // namespace

// ======================= TTabSheet =======================

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                  csParentBackground;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FVisible = false;
  FAlign = TAlign::alClient;
}

TTabSheet::~TTabSheet() {
  Destroying();
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  auto* pc = dynamic_cast<TPageControl*>(AParent);
  if (FPageControl && FPageControl != pc) FPageControl->RemovePage(this);
  TWinControl::SetParent(AParent);
  if (pc && FPageControl != pc) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& p = FPageControl->FPages;
  return static_cast<int>(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& p = FPageControl->FPages;
  p.erase(std::find(p.begin(), p.end(), this));
  Value = std::clamp(Value, 0, static_cast<int>(p.size()));
  p.insert(p.begin() + Value, this);
  FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
  if (!FPageControl) return -1;
  auto& t = FPageControl->FTabs;
  auto it = std::find(t.begin(), t.end(), this);
  return it == t.end() ? -1 : static_cast<int>(it - t.begin());
}

void TTabSheet::SetTabVisible(bool Value) {
  if (!ChangeField(FTabVisible, Value) || !FPageControl) return;
  FPageControl->UpdateTabs();
  if (!Value && FPageControl->FActivePage == this)
    FPageControl->SetActivePage(FPageControl->FindNextPage(this, true, true));
}

void TTabSheet::SetImageIndex(int Value) {
  if (ChangeField(FImageIndex, Value) && FPageControl) FPageControl->UpdateTab(this);
}

void TTabSheet::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->UpdateTab(this);
}

// ======================= TPageControl =======================

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = csAcceptsControls | csDoubleClicks;
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
}

TPageControl::~TPageControl() {
  Destroying();
  // The sheets are children and go with the control; they must not report back to it.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FTabs.clear();
  FActivePage = nullptr;
}

void TPageControl::CreateParams(TCreateParams& Params) {
  InitTabClass();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLA);
  Params.Style |= WS_CLIPCHILDREN;
  if (FMultiLine) Params.Style |= TCS_MULTILINE;
  if (FHotTrack) Params.Style |= TCS_HOTTRACK;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateTabs();
  ShowActivePage();
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (!FActivePage) SetActivePage(FindNextPage(nullptr, true, true));
  else ShowActivePage();
}

void TPageControl::SetMultiLine(bool Value) {
  if (ChangeField(FMultiLine, Value)) RecreateWnd();
}

void TPageControl::SetHotTrack(bool Value) {
  if (ChangeField(FHotTrack, Value)) RecreateWnd();
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  UpdateTabs();
  if (!FActivePage && Page->FTabVisible && !HasState(csLoading)) SetActivePage(Page);
  else Page->SetVisible(Page == FActivePage);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  TTabSheet* next = FActivePage == Page ? FindNextPage(Page, true, true) : FActivePage;
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  Page->FPageControl = nullptr;
  if (next == Page) next = nullptr;
  if (HasState(csDestroying)) return;
  UpdateTabs();
  if (FActivePage == Page) {
    FActivePage = nullptr;
    SetActivePage(next);
  }
}

void TPageControl::UpdateTabs() {
  FTabs.clear();
  for (TTabSheet* p : FPages)
    if (p->FTabVisible) FTabs.push_back(p);
  if (!FHandle) return;
  Perform(TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < FTabs.size(); ++i) {
    // The text first, then the sheet as the item's data (a Unicode page control takes the text
    // from the sheet there).
    AnsiString caption = FTabs[i]->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = caption.data();
    item.iImage = FTabs[i]->FImageIndex;
    Perform(TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    TCITEMA data{};
    data.mask = TCIF_PARAM;
    data.lParam = reinterpret_cast<LPARAM>(FTabs[i]);
    Perform(TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&data));
  }
  const int current = FActivePage ? FActivePage->TabIndex() : -1;
  Perform(TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
  Realign();
}

void TPageControl::UpdateTab(TTabSheet* Page) {
  const int i = Page->TabIndex();
  if (!FHandle || i < 0) return;
  AnsiString caption = Page->Caption();
  TCITEMA item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = caption.data();
  item.iImage = Page->FImageIndex;
  Perform(TCM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  Realign();
}

TTabSheet* TPageControl::TabSheetOfTab(int TabIndex) const {
  return TabIndex >= 0 && TabIndex < static_cast<int>(FTabs.size()) ? FTabs[static_cast<size_t>(TabIndex)] : nullptr;
}

int TPageControl::TabIndex() const {
  if (FHandle) return static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
  return FActivePage ? FActivePage->TabIndex() : -1;
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  if (Value < 0 || Value >= PageCount()) SetActivePage(nullptr);
  else SetActivePage(FPages[static_cast<size_t>(Value)]);
}

void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value && Value->FPageControl != this) return;
  if (Value == FActivePage) return;
  // The focus must not stay on a page that is hidden.
  TWinControl* focused = nullptr;
  if (FActivePage && FActivePage->HandleAllocated()) {
    HWND f = GetFocus();
    if (f && (f == FActivePage->WindowHandle() || IsChild(FActivePage->WindowHandle(), f))) focused = this;
  }
  FActivePage = Value;
  ShowActivePage();
  if (focused && FHandle && CanFocus()) ::SetFocus(FHandle);
}

void TPageControl::ShowActivePage() {
  if (FActivePage) {
    FActivePage->BringToFront();
    FActivePage->SetVisible(true);
  }
  for (TTabSheet* p : FPages)
    if (p != FActivePage) p->SetVisible(false);
  if (FHandle) {
    const int tab = FActivePage ? FActivePage->TabIndex() : -1;
    if (SendMessageA(FHandle, TCM_GETCURSEL, 0, 0) != tab) Perform(TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  }
  Realign();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurrentPage, bool GoForward, bool CheckTabVisible) const {
  const int n = PageCount();
  if (n == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), CurrentPage);
  int start = it == FPages.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TTabSheet* p = FPages[static_cast<size_t>(i)];
    if (!CheckTabVisible || p->FTabVisible) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
  TTabSheet* next = FindNextPage(FActivePage, GoForward, true);
  if (!next || next == FActivePage || !CanChange()) return;
  SetActivePage(next);
  if (OnChange) OnChange(this);
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  SetActivePage(TabSheetOfTab(TabIndex()));
  if (OnChange) OnChange(this);
}

RECT TPageControl::DisplayRect() {
  RECT r = ClientRect();
  if (FHandle) SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TPageControl::AdjustClientRect(RECT& Rect) {
  if (FHandle) {
    Rect = DisplayRect();
    return;
  }
  // Without a window: room for one row of tabs and the frame.
  Rect.top += 24;
  InflateRect(&Rect, -4, -4);
}

void TPageControl::AlignControls(TControl* AControl, RECT& Rect) {
  TWinControl::AlignControls(AControl, Rect);
}

void TPageControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (hdr->code == TCN_SELCHANGING) {
        // A non-zero answer keeps the current tab.
        Message.Result = CanChange() ? 0 : 1;
        if (Message.Result) FRestoreTab = true;
      } else if (hdr->code == TCN_SELCHANGE) {
        Change();
      }
      break;
    }
    case CM_DIALOGKEY:
      // Ctrl+Tab and Ctrl+Shift+Tab turn the pages of the page control that holds the focus.
      if (LOWORD(Message.WParam) == VK_TAB && GetKeyState(VK_CONTROL) < 0 && FActivePage && FHandle) {
        HWND f = GetFocus();
        if (f && (f == FHandle || IsChild(FHandle, f))) {
          SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
          Message.Result = 1;
          break;
        }
      }
      TWinControl::Dispatch(Message);
      break;
    case CM_DIALOGCHAR:
      // Alt and a tab caption's accelerator choose that page, unless the change is refused.
      for (TTabSheet* p : std::vector<TTabSheet*>(FPages)) {
        if (!p->FTabVisible || !IsAccel(LOWORD(Message.WParam), p->Caption()) || !CanFocus()) continue;
        Message.Result = 1;
        if (CanChange()) {
          SetActivePage(p);
          if (OnChange) OnChange(this);
        }
        return;
      }
      TWinControl::Dispatch(Message);
      break;
    case WM_SIZE:
      TWinControl::Dispatch(Message);
      Realign();
      break;
    case WM_ERASEBKGND:
      DefaultHandler(Message);
      break;
    default:
      TWinControl::Dispatch(Message);
      // The tab window selects a refused tab anyway when told to focus it (TCM_SETCURFOCUS):
      // the tab of the page still shown is selected again.
      if (FRestoreTab && FHandle) {
        FRestoreTab = false;
        const int tab = FActivePage ? FActivePage->TabIndex() : -1;
        if (SendMessageA(FHandle, TCM_GETCURSEL, 0, 0) != tab) SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
      }
      break;
  }
}

// ======================= TToolButton =======================

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = csSetCaption | csClickEvents;
  FWidth = 23;
  FHeight = 22;
}

TToolButton::~TToolButton() {
  Destroying();
  if (FToolBar) FToolBar->RemoveButton(this);
}

int TToolButton::Index() const {
  if (!FToolBar) return -1;
  auto& b = FToolBar->FButtons;
  return static_cast<int>(std::find(b.begin(), b.end(), this) - b.begin());
}

void TToolButton::SetParent(TWinControl* AParent) {
  auto* bar = dynamic_cast<TToolBar*>(AParent);
  if (FToolBar && FToolBar != bar) FToolBar->RemoveButton(this);
  TGraphicControl::SetParent(AParent);
  if (bar && FToolBar != bar) bar->AddButton(this);
}

void TToolButton::SetImageIndex(int Value) {
  if (ChangeField(FImageIndex, Value) && FToolBar) FToolBar->UpdateButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (ChangeField(FStyle, Value) && FToolBar) FToolBar->RecreateButtons();
}

void TToolButton::SetDown(bool Value) {
  if (!ChangeField(FDown, Value) || !FToolBar) return;
  // Pressing a button of a group releases the others.
  if (Value && FGrouped && FStyle == TToolButtonStyle::tbsCheck) {
    const int i = Index();
    for (int step : {-1, 1})
      for (int j = i + step; j >= 0 && j < FToolBar->ButtonCount(); j += step) {
        TToolButton* b = FToolBar->Buttons(j);
        if (!b->FGrouped || b->FStyle != TToolButtonStyle::tbsCheck) break;
        b->FDown = false;
      }
  }
  for (TToolButton* b : FToolBar->FButtons) FToolBar->UpdateButton(b);
}

void TToolButton::SetGrouped(bool Value) {
  if (ChangeField(FGrouped, Value) && FToolBar) FToolBar->RecreateButtons();
}

void TToolButton::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value) && FToolBar) FToolBar->RecreateButtons();
}

void TToolButton::SetWrap(bool Value) {
  if (ChangeField(FWrap, Value) && FToolBar) FToolBar->UpdateButton(this);
}

void TToolButton::Click() { TGraphicControl::Click(); }

TControlActionLinkClass TToolButton::GetActionLinkClass() { return ActionLinkClassOf<TToolButtonActionLink>(); }

void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TGraphicControl::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !FDown) SetDown(a->Checked());
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
}

void TToolButton::Dispatch(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      if (FToolBar) FToolBar->UpdateButton(this);
      break;
    case CM_VISIBLECHANGED:
      if (FToolBar) {
        FToolBar->UpdateButton(this);
        FToolBar->UpdateButtonBounds();
      }
      break;
    default: break;
  }
}

bool TToolButtonActionLink::IsCheckedLinked() {
  auto* b = dynamic_cast<TToolButton*>(FClient.Get());
  return TActionLink::IsCheckedLinked() && b && CustomAction() && b->Down() == CustomAction()->Checked();
}

void TToolButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) static_cast<TToolButton*>(FClient.Get())->SetDown(Value);
}

void TToolButtonActionLink::SetImageIndex(int Value) {
  auto* b = dynamic_cast<TToolButton*>(FClient.Get());
  if (b && CustomAction() && b->ImageIndex() == CustomAction()->ImageIndex()) b->SetImageIndex(Value);
}

// ======================= TToolBar =======================

TToolBar::TToolBar(TComponent* AOwner) : TToolWindow(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csParentBackground;
  FHeight = 29;
}

TToolBar::~TToolBar() {
  Destroying();
  for (TToolButton* b : FButtons) b->FToolBar = nullptr;
  FButtons.clear();
}

void TToolBar::CreateParams(TCreateParams& Params) {
  InitBarClasses();
  TToolWindow::CreateParams(Params);
  CreateSubClass(Params, TOOLBARCLASSNAMEA);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (FFlat) Params.Style |= TBSTYLE_FLAT;
  if (FList) Params.Style |= TBSTYLE_LIST;
  if (FWrapable) Params.Style |= TBSTYLE_WRAPABLE;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TToolBar::CreateWnd() {
  TToolWindow::CreateWnd();
  Perform(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  Perform(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  if (FImages) {
    Perform(TB_SETBITMAPSIZE, 0, MAKELONG(FImages->Width(), FImages->Height()));
    Perform(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
  } else {
    Perform(TB_SETBITMAPSIZE, 0, MAKELONG(0, 0));
  }
  Perform(TB_SETBUTTONSIZE, 0, MAKELONG(FButtonWidth, FButtonHeight));
  for (size_t i = 0; i < FButtons.size(); ++i) InsertButton(FButtons[i], static_cast<int>(i));
  UpdateButtonBounds();
}

void TToolBar::Loaded() {
  // Buttons described with their places stand in the order of those places.
  std::stable_sort(FButtons.begin(), FButtons.end(), [](TToolButton* a, TToolButton* b) {
    return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  TToolWindow::Loaded();
  RecreateButtons();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TToolWindow::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) SetImages(nullptr);
}

BYTE TToolBar::ButtonState(TToolButton* Button) const {
  BYTE state = 0;
  if (Button->Enabled()) state |= TBSTATE_ENABLED;
  if (Button->FDown) state |= TBSTATE_CHECKED;
  if (Button->FWrap) state |= TBSTATE_WRAP;
  if (!Button->Visible()) state |= TBSTATE_HIDDEN;
  return state;
}

BYTE TToolBar::ButtonStyle(TToolButton* Button) const {
  BYTE style = BTNS_BUTTON;
  switch (Button->FStyle) {
    case TToolButtonStyle::tbsButton: style = BTNS_BUTTON; break;
    case TToolButtonStyle::tbsCheck: style = Button->FGrouped ? BTNS_CHECKGROUP : BTNS_CHECK; break;
    case TToolButtonStyle::tbsDropDown: style = BTNS_DROPDOWN; break;
    case TToolButtonStyle::tbsSeparator:
    case TToolButtonStyle::tbsDivider: return BTNS_SEP;
  }
  if (Button->FAutoSize) style |= BTNS_AUTOSIZE;
  return style;
}

void TToolBar::InsertButton(TToolButton* Button, int Index) {
  if (!FHandle) return;
  const bool separator = Button->FStyle == TToolButtonStyle::tbsSeparator || Button->FStyle == TToolButtonStyle::tbsDivider;
  TBBUTTON b{};
  b.iBitmap = separator ? Button->Width() : (FImages && Button->FImageIndex >= 0 ? Button->FImageIndex : I_IMAGENONE);
  b.idCommand = Button->FCommandId;
  b.fsState = ButtonState(Button);
  b.fsStyle = ButtonStyle(Button);
  b.dwData = reinterpret_cast<DWORD_PTR>(Button);
  b.iString = -1;
  const AnsiString caption = Button->Caption();
  if (FShowCaptions && !separator && !caption.empty()) {
    // A list of strings, each ending with a NUL, the list with a second one.
    AnsiString list = caption;
    list.push_back('\0');
    b.iString = Perform(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(list.c_str()));
  }
  Perform(TB_INSERTBUTTONA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&b));
}

void TToolBar::UpdateButton(TToolButton* Button) {
  if (!FHandle || Button->FToolBar != this) return;
  const bool separator = Button->FStyle == TToolButtonStyle::tbsSeparator || Button->FStyle == TToolButtonStyle::tbsDivider;
  AnsiString caption = Button->Caption();
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_STATE | TBIF_LPARAM | (separator ? 0 : TBIF_IMAGE) | (FShowCaptions && !separator ? TBIF_TEXT : 0);
  info.idCommand = Button->FCommandId;
  info.iImage = FImages && Button->FImageIndex >= 0 ? Button->FImageIndex : I_IMAGENONE;
  info.fsState = ButtonState(Button);
  info.lParam = reinterpret_cast<DWORD_PTR>(Button);
  info.pszText = caption.data();
  info.cchText = static_cast<int>(caption.size());
  Perform(TB_SETBUTTONINFOA, static_cast<WPARAM>(Button->FCommandId), reinterpret_cast<LPARAM>(&info));
  UpdateButtonBounds();
}

void TToolBar::RecreateButtons() {
  if (!FHandle) return;
  while (Perform(TB_BUTTONCOUNT, 0, 0) > 0)
    if (!Perform(TB_DELETEBUTTON, 0, 0)) break;
  for (size_t i = 0; i < FButtons.size(); ++i) InsertButton(FButtons[i], static_cast<int>(i));
  UpdateButtonBounds();
}

void TToolBar::AddButton(TToolButton* Button) {
  Button->FToolBar = this;
  Button->FCommandId = FNextCommand++;
  FButtons.push_back(Button);
  InsertButton(Button, static_cast<int>(FButtons.size()) - 1);
  UpdateButtonBounds();
}

void TToolBar::RemoveButton(TToolButton* Button) {
  auto it = std::find(FButtons.begin(), FButtons.end(), Button);
  if (it == FButtons.end()) return;
  const int index = static_cast<int>(it - FButtons.begin());
  FButtons.erase(it);
  Button->FToolBar = nullptr;
  if (FHandle && !HasState(csDestroying)) {
    Perform(TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    UpdateButtonBounds();
  }
}

TToolButton* TToolBar::ButtonOfCommand(int Command) const {
  for (TToolButton* b : FButtons)
    if (b->FCommandId == Command) return b;
  return nullptr;
}

void TToolBar::UpdateButtonBounds() {
  if (!FHandle || FUpdatingBounds || HasState(csLoading)) return;
  TFlagGuard updating(FUpdatingBounds);
  int bottom = 0;
  for (TToolButton* b : FButtons) {
    RECT r{};
    if (!SendMessageA(FHandle, TB_GETRECT, static_cast<WPARAM>(b->FCommandId), reinterpret_cast<LPARAM>(&r))) continue;
    if (b->Visible()) bottom = std::max<int>(bottom, r.bottom);
    b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  if (FAutoSize && bottom > 0) SetBounds(FLeft, FTop, FWidth, bottom + (FHeight - ClientHeight()));
}

void TToolBar::AlignControls(TControl*, RECT&) { UpdateButtonBounds(); }

void TToolBar::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  if (FHandle) RecreateWnd();
}

void TToolBar::SetShowCaptions(bool Value) {
  if (ChangeField(FShowCaptions, Value)) RecreateWnd();
}

void TToolBar::SetFlat(bool Value) {
  if (ChangeField(FFlat, Value)) RecreateWnd();
}

void TToolBar::SetList(bool Value) {
  if (ChangeField(FList, Value)) RecreateWnd();
}

void TToolBar::SetWrapable(bool Value) {
  if (ChangeField(FWrapable, Value)) RecreateWnd();
}

void TToolBar::SetButtonWidth(int Value) {
  if (!ChangeField(FButtonWidth, std::max(0, Value)) || !FHandle) return;
  Perform(TB_SETBUTTONSIZE, 0, MAKELONG(FButtonWidth, FButtonHeight));
  RecreateButtons();
}

void TToolBar::SetButtonHeight(int Value) {
  if (!ChangeField(FButtonHeight, std::max(0, Value)) || !FHandle) return;
  Perform(TB_SETBUTTONSIZE, 0, MAKELONG(FButtonWidth, FButtonHeight));
  RecreateButtons();
}

void TToolBar::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value)) UpdateButtonBounds();
}

void TToolBar::WndProc(TMessage& Message) {
  // The window itself presses its buttons: mouse input is not handed to the button controls.
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK) {
    TControl::WndProc(Message);
    return;
  }
  TToolWindow::WndProc(Message);
}

void TToolBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: {
      TToolButton* b = ButtonOfCommand(LOWORD(Message.WParam));
      if (!b) break;
      // The window has toggled a check button (and released the others of its group).
      for (TToolButton* other : FButtons)
        if (other->FStyle == TToolButtonStyle::tbsCheck)
          other->FDown = SendMessageA(FHandle, TB_ISBUTTONCHECKED, static_cast<WPARAM>(other->FCommandId), 0) != 0;
      b->Click();
      break;
    }
    case CN_NOTIFY:
      if (reinterpret_cast<NMHDR*>(Message.LParam)->code == TBN_DROPDOWN) Message.Result = TBDDRET_DEFAULT;
      break;
    case WM_SIZE:
      TToolWindow::Dispatch(Message);
      UpdateButtonBounds();
      break;
    case WM_ERASEBKGND: DefaultHandler(Message); break;
    default: TToolWindow::Dispatch(Message); break;
  }
}

// ======================= TCoolBand =======================

TCoolBand::TCoolBand(TCollection* Collection) : TCollectionItem(Collection) {}

TCoolBand::~TCoolBand() = default;

TCoolBar* TCoolBand::CoolBar() const {
  auto* bands = dynamic_cast<TCoolBands*>(Collection());
  return bands ? bands->CoolBar() : nullptr;
}

void TCoolBand::SetControl(TWinControl* Value) {
  if (Value == FControl) return;
  TCoolBar* bar = CoolBar();
  if (Value && bar) {
    // A control stands in one band only: the band it leaves keeps no control.
    if (TCoolBand* other = static_cast<TCoolBands*>(Collection())->FindBand(Value); other && other != this) {
      other->FControl = nullptr;
      other->Changed(false);
    }
    Value->FreeNotification(bar);
    if (Value->Parent() != bar) Value->SetParent(bar);
  }
  FControl = Value;
  Changed(false);
}

void TCoolBand::SetMinHeight(int Value) {
  if (ChangeField(FMinHeight, std::max(0, Value))) Changed(false);
}

void TCoolBand::SetMinWidth(int Value) {
  if (ChangeField(FMinWidth, std::max(0, Value))) Changed(false);
}

void TCoolBand::SetWidth(int Value) {
  if (ChangeField(FWidth, std::max(0, Value))) Changed(false);
}

void TCoolBand::SetBreak(bool Value) {
  if (ChangeField(FBreak, Value)) Changed(false);
}

void TCoolBand::SetFixedSize(bool Value) {
  if (ChangeField(FFixedSize, Value)) Changed(false);
}

void TCoolBand::SetVisible(bool Value) {
  if (ChangeField(FVisible, Value)) Changed(false);
}

void TCoolBand::SetImageIndex(int Value) {
  if (ChangeField(FImageIndex, Value)) Changed(false);
}

void TCoolBand::SetText(const AnsiString& Value) {
  if (ChangeField(FText, Value)) Changed(false);
}

TCoolBands::TCoolBands(TCoolBar* CoolBar)
    : TOwnedCollection(CoolBar, TCollection::FactoryOf<TCoolBand>()), FCoolBar(CoolBar) {}

TCoolBand* TCoolBands::FindBand(TControl* Control) const {
  if (!Control) return nullptr;
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Control() == Control) return Items(i);
  return nullptr;
}

void TCoolBands::Update(TCollectionItem* Item) {
  if (Item) FCoolBar->UpdateBand(static_cast<TCoolBand*>(Item));
  else FCoolBar->UpdateBands();
}

// ======================= TCoolBar =======================

namespace {

// The band's height in the window: its minimum, or its control's height when that is more.
int BandChildHeight(const TCoolBand* Band, const TCoolBar* Bar) {
  TWinControl* c = Band->Control();
  return std::max(Band->MinHeight(), c && c->Parent() == Bar ? c->Height() : 0);
}

}  // namespace

TCoolBar::TCoolBar(TComponent* AOwner) : TToolWindow(AOwner), FBands(new TCoolBands(this)) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
  FHeight = 75;
}

TCoolBar::~TCoolBar() {
  Destroying();
  FBands.reset();
}

void TCoolBar::CreateParams(TCreateParams& Params) {
  InitCoolClasses();
  TToolWindow::CreateParams(Params);
  CreateSubClass(Params, REBARCLASSNAMEA);
  Params.Style |= WS_CLIPCHILDREN | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | RBS_VARHEIGHT | RBS_BANDBORDERS;
  if (FFixedOrder) Params.Style |= RBS_FIXEDORDER;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCoolBar::CreateWnd() {
  TToolWindow::CreateWnd();
  if (FImages) SetImages(FImages);
  // The new window has no bands yet.
  for (int i = 0; i < FBands->Count(); ++i) FBands->Items(i)->FBandWindow = nullptr;
  UpdateBands();
}

void TCoolBar::Loaded() {
  TToolWindow::Loaded();
  UpdateBands();
}

void TCoolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TToolWindow::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove || !FBands) return;
  if (AComponent == FImages) SetImages(nullptr);
  for (int i = 0; i < FBands->Count(); ++i) {
    TCoolBand* band = FBands->Items(i);
    if (band->FControl == AComponent) {
      band->FControl = nullptr;
      band->FBandWindow = nullptr;
    }
  }
}

void TCoolBar::SetImages(TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  if (!FHandle) return;
  REBARINFO info{};
  info.cbSize = sizeof info;
  info.fMask = RBIM_IMAGELIST;
  info.himl = Value ? Value->Handle() : nullptr;
  SendMessageA(FHandle, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
}

void TCoolBar::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value)) AdjustHeight();
}

void TCoolBar::SetFixedOrder(bool Value) {
  if (!ChangeField(FFixedOrder, Value) || !FHandle) return;
  const LONG style = GetWindowLongA(FHandle, GWL_STYLE);
  SetWindowLongA(FHandle, GWL_STYLE, Value ? style | RBS_FIXEDORDER : style & ~RBS_FIXEDORDER);
}

int TCoolBar::BarHeight() const {
  return FHandle ? static_cast<int>(SendMessageA(FHandle, RB_GETBARHEIGHT, 0, 0)) : 0;
}

void TCoolBar::UpdateBand(TCoolBand* Band) {
  if (!FHandle || HasState(csDestroying) || HasState(csLoading)) return;
  TWinControl* control = Band->FControl && Band->FControl->Parent() == this ? Band->FControl : nullptr;
  const bool outer = !FUpdatingBands;
  {
    TFlagGuard updating(FUpdatingBands);
    // The control's window is made here when it has none yet: the band needs it.
    HWND child = control ? control->Handle() : nullptr;
    REBARBANDINFOA info{};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_IMAGE | RBBIM_TEXT |
                 RBBIM_LPARAM;
    if (Band->FBreak) info.fStyle |= RBBS_BREAK;
    // A band that cannot move has nothing to take hold of.
    if (Band->FFixedSize) info.fStyle |= RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
    if (!Band->FVisible) info.fStyle |= RBBS_HIDDEN;
    info.hwndChild = child;
    info.cxMinChild = static_cast<UINT>(Band->FMinWidth);
    info.cyMinChild = static_cast<UINT>(BandChildHeight(Band, this));
    info.cx = static_cast<UINT>(Band->FWidth);
    info.wID = static_cast<UINT>(Band->ID());
    info.iImage = Band->FImageIndex;
    AnsiString text = Band->FText;
    info.lpText = text.data();
    info.lParam = reinterpret_cast<LPARAM>(Band);
    Band->FBandWindow = child;
    Band->FBandHeight = static_cast<int>(info.cyMinChild);
    const LRESULT index = SendMessageA(FHandle, RB_IDTOINDEX, info.wID, 0);
    if (index < 0) SendMessageA(FHandle, RB_INSERTBANDA, static_cast<WPARAM>(Band->Index()), reinterpret_cast<LPARAM>(&info));
    else SendMessageA(FHandle, RB_SETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
  }
  if (outer) AdjustHeight();
}

void TCoolBar::UpdateBands() {
  if (!FHandle || HasState(csDestroying) || HasState(csLoading)) return;
  const bool outer = !FUpdatingBands;
  {
    TFlagGuard updating(FUpdatingBands);
    // Bands the collection no longer has go; the others stand in the collection's order.
    for (int i = static_cast<int>(SendMessageA(FHandle, RB_GETBANDCOUNT, 0, 0)) - 1; i >= 0; --i) {
      REBARBANDINFOA info{};
      info.cbSize = REBARBANDINFOA_V6_SIZE;
      info.fMask = RBBIM_ID;
      if (SendMessageA(FHandle, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info)) &&
          !FBands->FindItemID(static_cast<int>(info.wID)))
        SendMessageA(FHandle, RB_DELETEBAND, static_cast<WPARAM>(i), 0);
    }
    for (int i = 0; i < FBands->Count(); ++i) {
      TCoolBand* band = FBands->Items(i);
      const LRESULT index = SendMessageA(FHandle, RB_IDTOINDEX, static_cast<WPARAM>(band->ID()), 0);
      if (index >= 0 && index != i) SendMessageA(FHandle, RB_MOVEBAND, static_cast<WPARAM>(index), i);
      UpdateBand(band);
    }
  }
  if (outer) AdjustHeight();
}

void TCoolBar::AdjustHeight() {
  if (!FAutoSize || !FHandle || FUpdatingBands || HasState(csLoading)) return;
  const int height = BarHeight() + (FHeight - ClientHeight());
  if (height != FHeight) SetBounds(FLeft, FTop, FWidth, height);
}

void TCoolBar::AlignControls(TControl*, RECT&) {
  if (!FHandle || FUpdatingBands) return;
  // A control that grew (or got a new window) needs its band told; the window places it then.
  for (int i = 0; i < FBands->Count(); ++i) {
    TCoolBand* band = FBands->Items(i);
    TWinControl* c = band->FControl && band->FControl->Parent() == this ? band->FControl : nullptr;
    const HWND wnd = c ? c->WindowHandle() : nullptr;
    if (wnd != band->FBandWindow || BandChildHeight(band, this) != band->FBandHeight) UpdateBand(band);
  }
}

void TCoolBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      if (reinterpret_cast<NMHDR*>(Message.LParam)->code == RBN_HEIGHTCHANGE) AdjustHeight();
      break;
    case WM_PARENTNOTIFY:
      TToolWindow::Dispatch(Message);
      // A band's control made a new window (a recreated tool bar): the band takes it.
      if (LOWORD(Message.WParam) == WM_CREATE && !FUpdatingBands)
        if (TCoolBand* band = FBands->FindBand(FindControl(reinterpret_cast<HWND>(Message.LParam)))) UpdateBand(band);
      break;
    case WM_ERASEBKGND: DefaultHandler(Message); break;
    default: TToolWindow::Dispatch(Message); break;
  }
}

// ======================= Published properties =======================

VGT_PUBLISH(TTabSheet) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
      .Prop(L"PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
      .Prop(L"TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
}

VGT_PUBLISH(TPageControl) {
  P.Prop(L"ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
      .Prop(L"HotTrack", &TPageControl::HotTrack, &TPageControl::SetHotTrack)
      .Prop(L"MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine)
      .Event(L"OnChange", &TPageControl::OnChange)
      .Event(L"OnChanging", &TPageControl::OnChanging);
}

VGT_PUBLISH(TToolButton) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"AutoSize", &TToolButton::AutoSize, &TToolButton::SetAutoSize)
      .Prop(L"Down", &TToolButton::Down, &TToolButton::SetDown)
      .Prop(L"Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped)
      .Prop(L"ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
      .Prop(L"Style", &TToolButton::Style, &TToolButton::SetStyle)
      .Prop(L"Wrap", &TToolButton::Wrap, &TToolButton::SetWrap);
}

VGT_PUBLISH(TToolBar) {
  P.Prop(L"AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize)
      .Prop(L"ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
      .Prop(L"ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
      .Prop(L"Flat", &TToolBar::Flat, &TToolBar::SetFlat)
      .Prop(L"Images", &TToolBar::Images, &TToolBar::SetImages)
      .Prop(L"List", &TToolBar::List, &TToolBar::SetList)
      .Prop(L"ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions)
      .Prop(L"Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable);
}

VGT_PUBLISH(TCoolBand) {
  P.Prop(L"Control", &TCoolBand::Control, &TCoolBand::SetControl)
      .Prop(L"Break", &TCoolBand::Break, &TCoolBand::SetBreak)
      .Prop(L"FixedSize", &TCoolBand::FixedSize, &TCoolBand::SetFixedSize)
      .Prop(L"ImageIndex", &TCoolBand::ImageIndex, &TCoolBand::SetImageIndex)
      .Prop(L"MinHeight", &TCoolBand::MinHeight, &TCoolBand::SetMinHeight)
      .Prop(L"MinWidth", &TCoolBand::MinWidth, &TCoolBand::SetMinWidth)
      .Prop(L"Text", &TCoolBand::Text, &TCoolBand::SetText)
      .Prop(L"Visible", &TCoolBand::Visible, &TCoolBand::SetVisible)
      .Prop(L"Width", &TCoolBand::Width, &TCoolBand::SetWidth);
}

VGT_PUBLISH(TCoolBar) {
  P.Prop(L"AutoSize", &TCoolBar::AutoSize, &TCoolBar::SetAutoSize)
      .Prop(L"Bands", &TCoolBar::Bands, nullptr)
      .Prop(L"FixedOrder", &TCoolBar::FixedOrder, &TCoolBar::SetFixedOrder)
      .Prop(L"Images", &TCoolBar::Images, &TCoolBar::SetImages);
}

VGT_UNIT_ANCHOR(ComCtrls)
