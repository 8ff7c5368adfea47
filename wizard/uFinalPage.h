// What the three final pages share: five labels (welcome, two explanations, the bold sentence and
// the thank-you) and their texts.
#pragma once

#include "classlib/Classes.h"

struct TFinalPageTexts {
  WideString Explain, Explain2, FeelGood, Thankyou;
};

// lblWelcome := the product name in bold; the other four labels := the texts, lblFeelGood in
// bold when it has one.
void SetFinalPageTexts(TComponent* Page, const TFinalPageTexts& Texts);
// The error of a failed apply or revert: only the explanation, the other labels empty.
TFinalPageTexts FinalPageErrorTexts();
// "Thank you for using ..." with the product name.
WideString FinalPageThankyou();
