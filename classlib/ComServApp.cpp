#include "classlib/ComServApp.h"

#include "classlib/Forms.h"

namespace {

class TComServerAppHook {
 public:
  explicit TComServerAppHook(TComServer& Server) : FServer(Server) {}

  bool AppMessage(TMessage& Message) {
    if (Message.Msg != WM_CLOSE && Message.Msg != WM_QUERYENDSESSION) return false;
    try {
      if (FServer.CanEnd()) return false;
    } catch (...) {
      // Asking failed: the objects' clients come first, the program goes on.
    }
    Message.Result = 0;
    return true;
  }

 private:
  TComServer& FServer;
};

}  // namespace

void ConnectComServerToApplication(TComServer& Server, TApplication& App) {
  static TComServerAppHook* hook = nullptr;
  if (!hook) hook = new TComServerAppHook(Server);
  App.HookMainWindow(TWindowHook::Of<TComServerAppHook, &TComServerAppHook::AppMessage>(hook));
  TApplication* app = &App;
  Server.OnLastRelease = [app](bool& Shutdown) {
    if (!Shutdown) return;
    app->Terminate();
    Shutdown = false;
  };
}
