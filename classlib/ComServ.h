// The COM server of a program or library: its start mode from the command line, its class
// factories, its type library, the count of live objects that keeps a local server running, and
// the registration of everything it serves.
#pragma once

#include <functional>
#include <vector>

#include <windows.h>
#include <oleauto.h>

#include "classlib/ComObj.h"

enum class TStartMode { smStandalone, smAutomation, smRegServer, smUnregServer };

// The start mode a command line asks for: a switch begins with "-" or "/" and is compared
// without regard to case; the last switch that names a mode wins, anything else is ignored.
TStartMode StartModeOfCommandLine(const wchar_t* CommandLine);

class TComServer {
 public:
  // A server for the module holding this code (the program, or the DLL it is linked into).
  TComServer();
  TComServer(const TComServer&) = delete;
  TComServer& operator=(const TComServer&) = delete;
  ~TComServer();

  // Reads the start mode from the process's command line (a DLL stays standalone), and loads
  // the module's type library when it carries one. Runs once; Initialize calls it too.
  void Prepare();
  // Registers or unregisters (and answers false: the program ends), or makes every class
  // object known to COM (answers true). Raises on a registration failure.
  bool Initialize();

  // Called for every object and server lock made and released. When the count of a local
  // server falls to zero, OnLastRelease runs; its flag starts true for a server that COM
  // started and, left true, ends the message loop with PostQuitMessage.
  void CountObject(bool Created);
  int ObjectCount() const { return FObjectCount; }
  std::function<void(bool& Shutdown)> OnLastRelease;

  // Whether the program may end now: with live objects the user is asked with a Yes/No warning
  // box, and only Yes lets it end.
  bool CanEnd();

  TStartMode StartMode() const { return FStartMode; }
  void SetStartMode(TStartMode Mode) { FStartMode = Mode; }
  bool IsInprocServer() const { return FIsInproc; }
  HINSTANCE Module() const { return FModule; }
  // The module's full path.
  const WideString& ServerFileName() const { return FFileName; }
  // The type library's name, else the module's base name.
  WideString ServerName() const;
  ITypeLib* TypeLib() const { return FTypeLib.Get(); }
  // Loads the type library from another file (a test's, or none with an empty name).
  void LoadTypeLib(const WideString& FileName);

  void AddFactory(TComObjectFactory* Factory);
  void RemoveFactory(TComObjectFactory* Factory);
  TComObjectFactory* FindFactory(REFCLSID ClassID) const;

  // Writes (or removes) every class's keys and the type library's registration.
  void UpdateRegistry(bool Register);
  void RegisterClassObjects();
  void RevokeClassObjects();

  // The standard entry points of an in-process server.
  HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
  HRESULT DllCanUnloadNow();
  HRESULT DllRegisterServer();
  HRESULT DllUnregisterServer();

 private:
  void RegisterTypeLibrary();
  void UnregisterTypeLibrary();
  void LastReleased();

  HINSTANCE FModule;
  WideString FFileName;
  bool FIsInproc;
  bool FPrepared = false;
  TStartMode FStartMode = TStartMode::smStandalone;
  int FObjectCount = 0;
  ComPtr<ITypeLib> FTypeLib;
  std::vector<TComObjectFactory*> FFactories;
};

// The server of this module, made on first use (factories made at start-up register with it).
TComServer& ComServer();
