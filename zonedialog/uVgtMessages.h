// The two boxes the zone dialog shows on its own, both the library's message box: the question
// before the Trusted zone's server verification is lifted, and the report of a zone change that
// failed.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// Yes/No question over Owner (0: none) with the question icon; true for Yes.
bool AskVgtQuestion(HWND Owner, const WideString& Caption, const WideString& Text);
// An error over Owner with OK and Details; the details pane holds Details.
void ShowVgtError(HWND Owner, const WideString& Caption, const WideString& Text, const WideString& Details);
