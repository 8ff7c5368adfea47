#include "classlib/ComCtrls.h"

#include <algorithm>

#include "classlib/Strings.h"

namespace {

void InitTabClass() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
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

VGT_UNIT_ANCHOR(ComCtrls)
