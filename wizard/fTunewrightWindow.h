// Tunewright's only window: the picture column, the page area and Back, Next and Close. It builds
// the step list, shows one step at a time as a page frame in the page area and moves between the
// steps that apply on Next and Back.
#pragma once

#include <memory>

#include "unicode/UtxForms.h"
#include "unicode/UtxExtCtrls.h"
#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/uConfigSteps.h"

// Private to the window: move the focus to Next (or Close) once the current event has ended.
inline constexpr UINT WM_FOCUSNAVBUTTON = 0x3E7C;

class TfrmtunewrightWindow : public TUtxForm {
  VGT_CLASS(TfrmtunewrightWindow, TUtxForm)
 public:
  using TUtxForm::TUtxForm;
  ~TfrmtunewrightWindow() override;

  void UtxFormCreate(TObject* Sender);
  void UtxFormDestroy(TObject* Sender);
  void cmdNextClick(TObject* Sender);
  void cmdBackClick(TObject* Sender);
  void cmdCancelClick(TObject* Sender);
  void Dispatch(TMessage& Message) override;

  // Shows step Index in a new page frame (the old one is freed first).
  void ShowStep(int32_t Index);
  void TranslateWindow(TObject* Sender);

  TConfigStepList* StepList() const { return FStepList.get(); }
  TTunewrightStep* CurrentStep() const { return FCurrentStep; }
  int32_t CurrentIndex() const { return FCurrentIndex; }
  TUtxFrame* CurrentFrame() const { return FCurrentFrame; }
  TUtxButton* BackButton() const;
  TUtxButton* NextButton() const;
  TUtxButton* CancelButton() const;
  // True when the step list could not be made: the error was shown and the window closed; the
  // program ends without running its message loop.
  bool StartFailed() const { return FStartFailed; }

 private:
  void BuildSteps();
  void UpdateButtons();
  void FocusNavButton();
  // Frees the page, then the steps it reaches through its step.
  void FreeSteps();

  std::unique_ptr<TConfigStepList> FStepList;
  TTunewrightStep* FCurrentStep = nullptr;
  int32_t FCurrentIndex = 0;
  TUtxFrame* FCurrentFrame = nullptr;
  // Next found no step that applies within one pass over the list: it stays disabled.
  bool FNoStepAhead = false;
  bool FStartFailed = false;
};
