// The native build's stand-in for the Windows code page, which the tests switch to see the
// text functions as they behave where Windows ignores the program's UTF-8 (a legacy
// double-byte code page).
#pragma once

constexpr unsigned kNativeUtf8 = 65001;    // the default: what the manifest asks for
constexpr unsigned kNativeShiftJis = 932;  // double-byte: lead bytes 81-9F and E0-FC
constexpr unsigned kNativeSingleByte = 1252;

// The code page that TextIsUtf8 and TextIsLeadByte answer for from now on.
void SetNativeCodePage(unsigned codePage);
