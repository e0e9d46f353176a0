// The support library's functions as plain C++ calls: the value on success, an empty or false
// result when the library reports a failure.
#pragma once

#include <windows.h>

#include <string>

namespace pellmark {

std::wstring HexEx4(ULONG value);
std::wstring StringFromPointerA(const char* text);
std::wstring BuildFileName(const std::wstring& directory, const std::wstring& name);
// Host check; a failing call counts as an NT-class host (the program runs, so it is one).
bool IsHostWinNT();
bool IsInIDE();

}  // namespace pellmark
