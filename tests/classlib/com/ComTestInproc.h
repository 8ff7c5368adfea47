// The test-only in-process server: one untyped, apartment-threaded class, as the browser
// extension serves its own.
#pragma once

#include <windows.h>

// {FF189F65-8279-491A-9839-C11946177E0F}
inline constexpr CLSID CLSID_InprocThing = {0xFF189F65, 0x8279, 0x491A,
                                            {0x98, 0x39, 0xC1, 0x19, 0x46, 0x17, 0x7E, 0x0F}};
