// Small Unicode utility routines.
#pragma once

#include "classlib/SysUtils.h"

// Raises Exception "Internal Error: File does not exist: <name>" unless FileName names an
// existing file (a directory does not count).
void CheckFileExists(const WideString& FileName);
