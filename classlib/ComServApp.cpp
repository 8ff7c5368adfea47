#include "classlib/ComServApp.h"

#include "classlib/Forms.h"

TComServerAppLink::TComServerAppLink(TComServer& Server, TApplication& App) : FServer(Server), FApp(App) {
  FApp.HookMainWindow(TWindowHook::Of<TComServerAppLink, &TComServerAppLink::AppMessage>(this));
  TApplication* app = &App;
  FServer.OnLastRelease = [app](bool& Shutdown) {
    if (!Shutdown) return;
    app->Terminate();
    Shutdown = false;
  };
}

TComServerAppLink::~TComServerAppLink() {
  FServer.OnLastRelease = nullptr;
  FApp.UnhookMainWindow(TWindowHook::Of<TComServerAppLink, &TComServerAppLink::AppMessage>(this));
}

bool TComServerAppLink::AppMessage(TMessage& Message) {
  if (Message.Msg != WM_CLOSE && Message.Msg != WM_QUERYENDSESSION) return false;
  try {
    if (FServer.CanEnd()) return false;
  } catch (...) {
    // Asking failed: the objects' clients come first, the program goes on.
  }
  Message.Result = 0;
  return true;
}
