// A stand-in for the extension's in-process COM server, built as its own library so the page
// host loads it as it will load the real one: a toolbar button that sets the signal property on
// the top-level browser, and browser observers that write down what reaches them.
#pragma once

#include <windows.h>

// {5E1D1C2A-7A43-4C0B-9D3E-0F1A2B3C4D01}
inline constexpr CLSID CLSID_FakeButton = {
    0x5e1d1c2a, 0x7a43, 0x4c0b, {0x9d, 0x3e, 0x0f, 0x1a, 0x2b, 0x3c, 0x4d, 0x01}};
// Unadvises and lets go of its site on OnQuit, as the extension's observer does.
// {5E1D1C2A-7A43-4C0B-9D3E-0F1A2B3C4D02}
inline constexpr CLSID CLSID_FakeObserver = {
    0x5e1d1c2a, 0x7a43, 0x4c0b, {0x9d, 0x3e, 0x0f, 0x1a, 0x2b, 0x3c, 0x4d, 0x02}};
// Never unadvises and keeps every browser it has seen: only the host can free it.
// {5E1D1C2A-7A43-4C0B-9D3E-0F1A2B3C4D03}
inline constexpr CLSID CLSID_FakeStubbornObserver = {
    0x5e1d1c2a, 0x7a43, 0x4c0b, {0x9d, 0x3e, 0x0f, 0x1a, 0x2b, 0x3c, 0x4d, 0x03}};

// The property the fake button sets.
inline constexpr wchar_t FakeSignal[] = L"{FAKE-SIGNAL}";

// Exports besides the server's own: the log, one line per thing that happened, "\n" after each;
// and how many of the library's objects live.
using FakeExtensionLogFn = const wchar_t*(__cdecl*)();
using FakeExtensionClearLogFn = void(__cdecl*)();
using FakeExtensionLiveObjectsFn = long(__cdecl*)();
