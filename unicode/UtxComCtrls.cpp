#include "unicode/UtxComCtrls.h"

#include "base/Scope.h"
#include "unicode/UtxWindows.h"

// ======================= Tab sheet =======================

void TUtxTabSheet::Dispatch(TMessage& Message) {
  // A caption set through the class library's 8-bit property while the sheet has no window
  // replaces the held wide caption, which would otherwise win without comparison.
  if (Message.Msg == WM_SETTEXT && UnicodePlatform() && !HandleAllocated() && !FSettingText) {
    const char* text = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
    if (AnsiString(text) != NarrowText(GetWideControlText(this))) {
      {
        TFlagGuard setting(FSettingText);
        SetWideControlText(this, WidenText(text));
      }
      Message.Result = 1;
      return;
    }
  }
  TUtxControlBase::Dispatch(Message);
}

// ======================= Page control =======================

WideString TUtxPageControl::SheetCaption(TTabSheet* Sheet) {
  if (auto* u = dynamic_cast<TUtxTabSheet*>(Sheet)) return u->GetCaption();
  return WidenText(Sheet->TControl::Caption());
}

void TUtxPageControl::CreateWindowHandle(const TCreateParams& Params) {
  TUtxControlBase::CreateWindowHandle(Params);
  // The tab window then keeps wide items and sends wide notifications.
  if (UnicodePlatform() && FHandle) SendMessageW(FHandle, CCM_SETUNICODEFORMAT, 1, 0);
}

void TUtxPageControl::WndProc(TMessage& Message) {
  if (!UnicodePlatform() || !Message.LParam) {
    TUtxControlBase::WndProc(Message);
    return;
  }
  // The class library sets each tab's text and then its sheet as the item's data; on the way to
  // the Unicode window (the library's 8-bit item has been made wide by then, or is still 8-bit
  // when sent past the window's trap) every tab text becomes the sheet's wide caption.
  switch (Message.Msg) {
    case TCM_INSERTITEMA:
    case TCM_INSERTITEMW:
      // A tab is inserted without text; its sheet, set right after, brings it.
      reinterpret_cast<TCITEMW*>(Message.LParam)->mask &= ~static_cast<UINT>(TCIF_TEXT);
      break;
    case TCM_SETITEMA:
    case TCM_SETITEMW: {
      // TCITEMA and TCITEMW have the same layout; only the text differs.
      auto* item = reinterpret_cast<TCITEMW*>(Message.LParam);
      TTabSheet* sheet = nullptr;
      if (item->mask & TCIF_PARAM) {
        // The item's data must be one of this control's sheets; nothing else is taken for one
        // (such an item gets no text: the message has come through the platform, which no
        // exception may cross).
        for (int i = 0; i < PageCount() && !sheet; ++i)
          if (reinterpret_cast<LPARAM>(Pages(i)) == item->lParam) sheet = Pages(i);
      } else if ((item->mask & TCIF_TEXT) && static_cast<int>(Message.WParam) >= 0) {
        sheet = TabSheetOfTab(static_cast<int>(Message.WParam));
      }
      if (!sheet) {
        item->mask &= ~static_cast<UINT>(TCIF_TEXT);
        break;
      }
      WideString caption = SheetCaption(sheet);
      TCITEMW wide = *item;
      wide.mask |= TCIF_TEXT;
      if (UseRightToLeftReading()) wide.mask |= TCIF_RTLREADING;
      wide.pszText = caption.data();
      const UINT msg = Message.Msg;
      const LPARAM lparam = Message.LParam;
      Message.Msg = TCM_SETITEMW;
      Message.LParam = reinterpret_cast<LPARAM>(&wide);
      TUtxControlBase::WndProc(Message);
      Message.Msg = msg;
      Message.LParam = lparam;
      return;
    }
    default: break;
  }
  TUtxControlBase::WndProc(Message);
}

void TUtxPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    for (int i = 0; i < PageCount(); ++i) {
      TTabSheet* page = Pages(i);
      if (!IsWideAccelChar(LOWORD(Message.WParam), SheetCaption(page))) continue;
      if (!page->TabVisible() || page->TabIndex() < 0 || !CanFocus()) continue;
      Message.Result = 1;
      if (CanChange()) {
        SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(page->TabIndex()), 0);
        Change();
      }
      return;
    }
  }
  TUtxControlBase::Dispatch(Message);
}

VGT_PUBLISH(TUtxTabSheet) { PublishWideHint(PublishWideText(P)); }

VGT_PUBLISH(TUtxPageControl) { PublishWideHint(P); }

VGT_UNIT_ANCHOR(UtxComCtrls)
