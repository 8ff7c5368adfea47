// The base of every Unicode control: the hooks each of them needs to keep its texts wide (wide
// form-description properties, wide actions, a Unicode window, wide hints), written once as a
// mix-in over the class library's own control class.
//
// Declaring a Unicode control:
//
//   class TUtxCustomEdit : public TUtxControlBase<TCustomEdit> {
//     VGT_CLASS(TUtxCustomEdit, TCustomEdit)
//    public:
//     using TUtxControlBase::TUtxControlBase;
//     // Its own behaviour only, e.g. the wide text under the name the control publishes:
//     WideString Text() { return GetWideControlText(this); }
//     void SetText(const WideString& Value) { SetWideControlText(this, Value); }
//
//    protected:
//     // Windowed controls over a platform class name it (the trap converts that family's
//     // messages with text); a window of the control's own class leaves this out.
//     WideString PlatformClassName() const override { return L"EDIT"; }
//   };
//   class TUtxEdit : public TUtxCustomEdit {
//     VGT_CLASS(TUtxEdit, TUtxCustomEdit)
//    public:
//     using TUtxCustomEdit::TUtxCustomEdit;
//   };
//   VGT_PUBLISH(TUtxEdit) { PublishWideText(P, L"Text"); PublishWideHint(P); }
//
// The VGT_CLASS parent is the class library's class: the mix-in has no run-time class of its own.
// A control's CreateParams still calls CreateSubClass for its platform class as the class library
// does; the mix-in only replaces how the window is made. The window's own messages with text need
// nothing more: the class library's 8-bit messages reach the Unicode window converted (see
// UtxWideMessages). A Unicode control that talks to its window in wide form sends the wide message
// to the handle with SendMessageW, never through Perform, which is the class library's 8-bit road.
#pragma once

#include <type_traits>

#include "classlib/Controls.h"
#include "classlib/TypInfo.h"
#include "unicode/UtxActnList.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxControls.h"

// The type of a published wide caption or text (a wide string to the form-description reader).
using TWideCaption = WideString;

namespace utx_detail {

// What differs between windowed and graphic controls.
template <class TBase, bool Windowed = std::is_base_of_v<TWinControl, TBase>>
class TUtxWindowPart;

// A windowed control gets a Unicode window through the one binding function; its trap handles
// the hint record and the messages with text.
template <class TBase>
class TUtxWindowPart<TBase, true> : public TBase {
 public:
  using TBase::TBase;

 protected:
  // The platform class the window subclasses ("EDIT", "COMBOBOX", ...); empty for a window of the
  // control's own class.
  virtual WideString PlatformClassName() const { return {}; }
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateWideWindowHandle(this, Params, PlatformClassName());
  }
};

// A graphic control has no window and no trap: it prepares its wide hint itself.
template <class TBase>
class TUtxWindowPart<TBase, false> : public TBase {
 public:
  using TBase::TBase;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
    TBase::Dispatch(Message);
  }
};

}  // namespace utx_detail

template <class TBase>
class TUtxControlBase : public utx_detail::TUtxWindowPart<TBase> {
  using TWindowPart = utx_detail::TUtxWindowPart<TBase>;

 public:
  using TWindowPart::TWindowPart;

  // The wide caption (for edits: the text) and hint, kept by the rules of UtxControls.
  TWideCaption Caption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
  WideString Hint() { return GetWideHint(this); }
  void SetHint(const WideString& Value) { SetWideHint(this, Value); }

  TControlActionLinkClass GetActionLinkClass() override { return GetUtxActionLinkClass(this); }
  // The wide texts first, so that the class library's own change finds them in place.
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    ApplyWideActionChange(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
    TBase::ActionChange(Sender, CheckDefaults);
  }

 protected:
  void DefineProperties(TFiler* Filer) override {
    TBase::DefineProperties(Filer);
    DefineWideStringProperties(Filer, this);
  }
};

// Publishes the wide caption of a Unicode control under Name ("Caption", or "Text" for edits),
// left out of form descriptions while an action supplies it.
template <class C>
TPublisher<C>& PublishWideText(TPublisher<C>& P, const wchar_t* Name = L"Caption") {
  return P.Prop(
      Name, [](C* c) -> TWideCaption { return GetWideControlText(c); },
      [](C* c, const TWideCaption& v) { SetWideControlText(c, v); },
      [](C* c) { return IsWideCaptionStored(c); });
}

// Publishes the wide hint of a Unicode control.
template <class C>
TPublisher<C>& PublishWideHint(TPublisher<C>& P) {
  return P.Prop(
      L"Hint", [](C* c) -> WideString { return GetWideHint(c); },
      [](C* c, const WideString& v) { SetWideHint(c, v); }, [](C* c) { return IsWideHintStored(c); });
}
