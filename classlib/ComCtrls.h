// Common controls of the class library: the page control (the platform's tab control
// "SysTabControl32") and its tab sheets.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "classlib/Controls.h"

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
