// What the COM server tests share: the test server's program, processes waited on by handle,
// and registry snapshots to compare before and after a registration.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "classlib/System.h"

// The folder of the running test program, with a trailing backslash.
WideString TestProgramFolder();
// The full path of the test-only local server.
WideString TestServerPath();

// The full path of a program beside the test program.
WideString ProgramBesideTest(const WideString& Name);

// Runs Program with Arguments, waits for it to end and answers its exit code (-1: not started).
DWORD RunAndWait(const WideString& Program, const WideString& Arguments);

// Every key and value below Root\Path, one line each ("key", "key|name|type|data"), with key
// paths relative to Root\Path. An absent key gives an empty set.
std::set<WideString> RegistrySnapshot(HKEY Root, const WideString& Path);
