// Common controls of the class library: the page control (the platform's tab control
// "SysTabControl32") and its tab sheets, the tool bar ("ToolbarWindow32") and the cool bar
// ("ReBarWindow32") with its bands.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/ActnList.h"
#include "classlib/Controls.h"
#include "classlib/ImgList.h"
#include "classlib/ToolWin.h"

class TPageControl;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// One page of a page control: a container shown while its tab is the current one.
class TTabSheet : public TWinControl {
  VGT_CLASS(TTabSheet, TWinControl)
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  // Moves the sheet to another page control (or none); its parent follows.
  void SetPageControl(TPageControl* Value);
  // The sheet's place among its page control's pages (-1 without one).
  int PageIndex() const;
  void SetPageIndex(int Value);
  // The tab of the sheet among the shown tabs; -1 while its tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // A sheet read inside a page control in a form description becomes its page.
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = 0;
};

class TPageControl : public TWinControl {
  VGT_CLASS(TPageControl, TWinControl)
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const { return FPages.at(static_cast<size_t>(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  // Shows Value (a page of this control, or nullptr); fires no events.
  void SetActivePage(TTabSheet* Value);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The current tab (-1 for none) and its count, as the tab window counts them.
  int TabIndex() const;
  int TabCount() const { return static_cast<int>(FTabs.size()); }
  // The page of a tab.
  TTabSheet* TabSheetOfTab(int TabIndex) const;
  // The next (or previous) page with a visible tab after CurrentPage, wrapping around.
  TTabSheet* FindNextPage(TTabSheet* CurrentPage, bool GoForward, bool CheckTabVisible) const;
  // Moves to the next page as the user does (Ctrl+Tab): asks OnChanging, then fires OnChange.
  void SelectNextPage(bool GoForward);
  // The area the pages take (client co-ordinates).
  RECT DisplayRect();
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(RECT& Rect) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // A page control read without an active page shows its first page with a visible tab.
  void Loaded() override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  // Whether the current page may be left (OnChanging).
  virtual bool CanChange();
  // The current tab changed: its page becomes the active page, then OnChange.
  virtual void Change();
  // Tab-list upkeep: the tab window's items follow the pages with visible tabs.
  void UpdateTabs();
  void UpdateTab(TTabSheet* Page);

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void ShowActivePage();
  std::vector<TTabSheet*> FPages;
  std::vector<TTabSheet*> FTabs;  // the pages whose tabs show, in tab order
  TTabSheet* FActivePage = nullptr;
  bool FMultiLine = false;
  bool FHotTrack = false;
  // A refused change: the tab window may have moved its selection all the same.
  bool FRestoreTab = false;
};

// ======================= Tool bar =======================

class TToolBar;

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
VGT_ENUM(TToolButtonStyle, L"tbsButton", L"tbsCheck", L"tbsDropDown", L"tbsSeparator", L"tbsDivider");

// A button of a tool bar. The tool bar's window draws it; the control keeps its place (read back
// from the window) so that hints and actions work as for any control.
class TToolButton : public TGraphicControl {
  VGT_CLASS(TToolButton, TGraphicControl)
 public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  TToolBar* ToolBar() const { return FToolBar; }
  // The button's place among its tool bar's buttons (-1 without one).
  int Index() const;
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  // A check button that is pressed.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  // Check buttons of one group next to each other: one of them is down at a time.
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // The next button starts a new row.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value);
  // The command number the tool bar's window knows the button by.
  int CommandId() const { return FCommandId; }
  void Click() override;
  TControlActionLinkClass GetActionLinkClass() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TToolBar;
  TToolBar* FToolBar = nullptr;
  int FImageIndex = -1;
  TToolButtonStyle FStyle = TToolButtonStyle::tbsButton;
  bool FDown = false;
  bool FGrouped = false;
  bool FAutoSize = false;
  bool FWrap = false;
  int FCommandId = 0;
};

// The link of a tool button to its action: caption, hint, enabled, visible, checked (Down) and
// the image index.
class TToolButtonActionLink : public TControlActionLink {
  VGT_CLASS(TToolButtonActionLink, TControlActionLink)
 public:
  using TControlActionLink::TControlActionLink;
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
  void SetImageIndex(int Value) override;
};

// The platform's tool bar ("ToolbarWindow32") holding TToolButtons.
class TToolBar : public TToolWindow {
  VGT_CLASS(TToolBar, TToolWindow)
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TToolButton* Buttons(int Index) const { return FButtons.at(static_cast<size_t>(Index)); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // Captions beside the images instead of below them.
  bool List() const { return FList; }
  void SetList(bool Value);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool Value);
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int Value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int Value);
  // The bar takes the height of its rows of buttons.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // The window's buttons are made again from the controls (after a change the window cannot take
  // button by button).
  void RecreateButtons();
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AlignControls(TControl* AControl, RECT& Rect) override;
  // Sends one button to the window (TB_INSERTBUTTONA with the control as its data).
  virtual void InsertButton(TToolButton* Button, int Index);
  // Sends a button's caption, image and state (TB_SETBUTTONINFOA with the control as lParam).
  virtual void UpdateButton(TToolButton* Button);

 private:
  friend class TToolButton;
  void AddButton(TToolButton* Button);
  void RemoveButton(TToolButton* Button);
  void UpdateButtonBounds();
  BYTE ButtonState(TToolButton* Button) const;
  BYTE ButtonStyle(TToolButton* Button) const;
  TToolButton* ButtonOfCommand(int Command) const;
  std::vector<TToolButton*> FButtons;
  TCustomImageList* FImages = nullptr;
  bool FShowCaptions = false;
  bool FFlat = false;
  bool FList = false;
  bool FWrapable = true;
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  bool FAutoSize = false;
  bool FUpdatingBounds = false;
  int FNextCommand = 1;
};

// ======================= Cool bar =======================

class TCoolBar;

// One band of a cool bar: a child control of the bar, with a grip in front of it unless the band
// is fixed, at least MinHeight high and as high as its control.
class TCoolBand : public TCollectionItem {
  VGT_CLASS(TCoolBand, TCollectionItem)
 public:
  explicit TCoolBand(TCollection* Collection);
  ~TCoolBand() override;

  TCoolBar* CoolBar() const;
  TWinControl* Control() const { return FControl; }
  // The control becomes the cool bar's child; a control can stand in one band only.
  void SetControl(TWinControl* Value);
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  // The band starts a new row.
  bool Break() const { return FBreak; }
  void SetBreak(bool Value);
  // The user can neither move nor size the band; it has no grip.
  bool FixedSize() const { return FFixedSize; }
  void SetFixedSize(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  AnsiString Text() const { return FText; }
  void SetText(const AnsiString& Value);
  // The window handle of the control as the cool bar's window last got it.
  HWND BandWindow() const { return FBandWindow; }

 private:
  friend class TCoolBar;
  TWinControl* FControl = nullptr;
  int FMinHeight = 25;
  int FMinWidth = 0;
  int FWidth = 0;
  bool FBreak = true;
  bool FFixedSize = false;
  bool FVisible = true;
  int FImageIndex = -1;
  AnsiString FText;
  HWND FBandWindow = nullptr;
  int FBandHeight = 0;
};

class TCoolBands : public TOwnedCollection {
  VGT_CLASS(TCoolBands, TOwnedCollection)
 public:
  explicit TCoolBands(TCoolBar* CoolBar);
  TCoolBand* Items(int Index) const { return static_cast<TCoolBand*>(TCollection::Items(Index)); }
  TCoolBand* Add() { return static_cast<TCoolBand*>(TCollection::Add()); }
  // The band holding Control; none for none.
  TCoolBand* FindBand(TControl* Control) const;
  TCoolBar* CoolBar() const { return FCoolBar; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TCoolBar* FCoolBar;
};

// The platform's rebar ("ReBarWindow32"): its bands hold child controls, which the window places.
class TCoolBar : public TToolWindow {
  VGT_CLASS(TCoolBar, TToolWindow)
 public:
  explicit TCoolBar(TComponent* AOwner);
  ~TCoolBar() override;

  TCoolBands* Bands() const { return FBands.get(); }
  // Images of the bands (ImageIndex).
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The bar takes the height of its rows of bands.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // The user cannot move a band to another row or place.
  bool FixedOrder() const { return FFixedOrder; }
  void SetFixedOrder(bool Value);
  // The height of the rows as the window reports them (0 without a window).
  int BarHeight() const;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The window places the bands' controls; a control that changed size gets its band resized.
  void AlignControls(TControl* AControl, RECT& Rect) override;

 private:
  friend class TCoolBand;
  friend class TCoolBands;
  // Hands the band to the window: inserted, changed, or (no longer in the collection) removed.
  void UpdateBand(TCoolBand* Band);
  void UpdateBands();
  void AdjustHeight();
  std::unique_ptr<TCoolBands> FBands;
  TCustomImageList* FImages = nullptr;
  bool FAutoSize = false;
  bool FFixedOrder = false;
  bool FUpdatingBands = false;
};
