#include "wizard/fTunewrightWindow.h"

#include "common/trvControls.h"
#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxWindows.h"
#include "wizard/fConfigAutomaticFinish.h"
#include "wizard/fConfigFeature2.h"
#include "wizard/fConfigFeature3.h"
#include "wizard/fConfigFinish.h"
#include "wizard/fConfigIntro.h"
#include "wizard/fConfigRevert.h"
#include "wizard/uWizardSupport.h"

TfrmtunewrightWindow::~TfrmtunewrightWindow() {
  // The page reaches the list through its step until it is freed.
  delete FCurrentFrame;
  FCurrentFrame = nullptr;
}

TUtxButton* TfrmtunewrightWindow::BackButton() const {
  return FindDesigned<TUtxButton>(const_cast<TfrmtunewrightWindow*>(this), L"cmdBack");
}
TUtxButton* TfrmtunewrightWindow::NextButton() const {
  return FindDesigned<TUtxButton>(const_cast<TfrmtunewrightWindow*>(this), L"cmdNext");
}
TUtxButton* TfrmtunewrightWindow::CancelButton() const {
  return FindDesigned<TUtxButton>(const_cast<TfrmtunewrightWindow*>(this), L"cmdCancel");
}

void TfrmtunewrightWindow::UtxFormCreate(TObject*) {
  try {
    UseLanguage(ReadRegistryString(ProductRegistryKey, L"lang", L""));
    SetDialogFont(Font());
    FStepList = std::make_unique<TConfigStepList>();
    FStepList->OnTextsChanged = [this](TObject* Sender) { TranslateWindow(Sender); };
    BuildSteps();
    ShowStep(0);
  } catch (const std::exception& e) {
    // A window without steps is of no use: say why and end the program.
    FStartFailed = true;
    const WideString why = GetExceptionMessage(e);
    MessageBoxW(nullptr, FormatIndexed(Translate(L"Tunewright cannot start: %1"), {why}).c_str(), L"Tunewright",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    FreeSteps();
    Close();
  }
}

void TfrmtunewrightWindow::UtxFormDestroy(TObject*) { FreeSteps(); }

void TfrmtunewrightWindow::FreeSteps() {
  delete FCurrentFrame;
  FCurrentFrame = nullptr;
  FCurrentStep = nullptr;
  FStepList.reset();
}

void TfrmtunewrightWindow::BuildSteps() {
  AddConfigSteps(*FStepList, TConfigStepFrames{UtxFrameClassOf<TframeConfigIntro>(),
                                               UtxFrameClassOf<TframeConfigFeature3>(),
                                               UtxFrameClassOf<TframeConfigFeature2>(),
                                               UtxFrameClassOf<TframeConfigFinish>(),
                                               UtxFrameClassOf<TframeConfigAutomaticFinish>(),
                                               UtxFrameClassOf<TframeConfigRevert>()});
}

void TfrmtunewrightWindow::ShowStep(int32_t Index) {
  FCurrentStep = nullptr;
  delete FCurrentFrame;
  FCurrentFrame = nullptr;
  FNoStepAhead = false;

  FCurrentIndex = Index;
  FCurrentStep = FStepList->GetStep(Index);
  std::unique_ptr<TComponent> made(FCurrentStep->FrameClass->Create(this));
  auto* frame = dynamic_cast<TUtxFrame*>(made.get());
  if (!frame) throw EInvalidCast("Ungültige Typumwandlung");
  FCurrentFrame = frame;
  made.release();
  frame->SetParent(FindDesigned<TtrvPanel>(this, L"panFrame"));
  frame->SetAlign(TAlign::alClient);
  frame->SetVisible(true);

  // A setting page loads only a step of its own number of choices.
  if (auto* setting = dynamic_cast<TSettingStep*>(FCurrentStep); setting && dynamic_cast<TframeConfigFeature*>(frame))
    static_cast<TframeConfigFeature*>(frame)->LoadStep(setting);
  else if (auto* intro = dynamic_cast<TframeConfigIntro*>(frame))
    intro->BindStep(FCurrentStep);
  else if (auto* automatic = dynamic_cast<TframeConfigAutomaticFinish*>(frame))
    automatic->ApplyRecommended(FCurrentStep);
  else if (auto* revert = dynamic_cast<TframeConfigRevert*>(frame))
    revert->RevertZones(FCurrentStep);

  UpdateButtons();
  // Also for the first page, which is shown while the window is being made: its window is made
  // here if no page has needed it yet, and the focus moves once the message loop runs.
  PostMessageW(Handle(), WM_FOCUSNAVBUTTON, 0, 0);
}

void TfrmtunewrightWindow::cmdNextClick(TObject*) {
  if (!FCurrentStep) return;
  if (FCurrentStep->Navigation == navFinal) {
    Close();
    return;
  }
  int32_t i = FCurrentIndex;
  TTunewrightStep* s = FCurrentStep;
  // One pass over the list at most: with no browser to read the version of, no step applies and
  // the walk would never end.
  const int32_t count = FStepList->GetStepCount();
  for (int32_t visited = 0;; ++visited) {
    if (visited >= count) {
      FNoStepAhead = true;
      UpdateButtons();
      return;
    }
    i = s->Navigation != navNext ? s->JumpTo : i + 1;
    s = FStepList->GetStep(i);
    if (FStepList->IsStepApplicable(s)) break;
  }
  s->BackTo = FCurrentIndex;
  ShowStep(i);
}

void TfrmtunewrightWindow::cmdBackClick(TObject*) {
  if (FCurrentStep) ShowStep(FCurrentStep->BackTo);
}

void TfrmtunewrightWindow::cmdCancelClick(TObject*) { Close(); }

void TfrmtunewrightWindow::UpdateButtons() {
  BackButton()->SetEnabled(FCurrentIndex > 0);
  NextButton()->SetEnabled(FCurrentStep && FCurrentStep->Navigation != navFinal && !FNoStepAhead);
}

void TfrmtunewrightWindow::FocusNavButton() {
  try {
    TUtxButton* next = NextButton();
    TUtxButton* target = next->Enabled() ? next : CancelButton();
    if (target->CanFocus()) target->SetFocus();
  } catch (...) {
    // A button that cannot take the focus now (hidden or disabled window) keeps it where it is.
  }
}

void TfrmtunewrightWindow::TranslateWindow(TObject*) {
  SetCaption(FormatIndexed(Translate(L"%1 - Tunewright"), {ProductName}));
  SetApplicationTitle(Caption());
  NextButton()->SetCaption(Translate(L"&Next >>"));
  BackButton()->SetCaption(Translate(L"<< &Back"));
  CancelButton()->SetCaption(Translate(L"Close"));
}

void TfrmtunewrightWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_FOCUSNAVBUTTON) {
    FocusNavButton();
    return;
  }
  TUtxForm::Dispatch(Message);
}

VGT_PUBLISH(TfrmtunewrightWindow) {
  P.Handler(L"UtxFormCreate", &TfrmtunewrightWindow::UtxFormCreate)
      .Handler(L"UtxFormDestroy", &TfrmtunewrightWindow::UtxFormDestroy)
      .Handler(L"cmdNextClick", &TfrmtunewrightWindow::cmdNextClick)
      .Handler(L"cmdBackClick", &TfrmtunewrightWindow::cmdBackClick)
      .Handler(L"cmdCancelClick", &TfrmtunewrightWindow::cmdCancelClick);
}

VGT_UNIT_ANCHOR(fTunewrightWindow)
