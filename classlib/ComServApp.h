// Ties a local COM server to the application object: the release of the last object ends the
// application's message loop, and closing the application or the session while objects live
// asks the user first.
#pragma once

#include "classlib/ComServ.h"

class TApplication;

// Call once after Application->Initialize(); the binding lasts as long as the program.
void ConnectComServerToApplication(TComServer& Server, TApplication& App);
