// Ties a local COM server to the application object: the release of the last object ends the
// application's message loop, and closing the application or the session while objects live
// asks the user first.
#pragma once

#include "classlib/ComServ.h"

class TApplication;
struct TMessage;

// The tie lasts as long as this object; make it after Application->Initialize() and keep it
// while the message loop runs.
class TComServerAppLink {
 public:
  TComServerAppLink(TComServer& Server, TApplication& App);
  ~TComServerAppLink();
  TComServerAppLink(const TComServerAppLink&) = delete;
  TComServerAppLink& operator=(const TComServerAppLink&) = delete;

 private:
  bool AppMessage(TMessage& Message);

  TComServer& FServer;
  TApplication& FApp;
};
