// The error of a failed automation call as the program reports it: number, description, source.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace pellmark {

struct ErrorObject {
    LONG number = 0;
    std::wstring description;
    std::wstring source;
};

// The error number of an HRESULT: the code alone for the automation range (0x800A0046 is 70),
// the whole HRESULT otherwise.
LONG ErrorNumber(HRESULT hr);

// The error a call on `object` (through interface `iid`) just reported with `hr`: description
// and source from the thread's error information when the object says it supplies it, else
// the system's text for `hr` and `fallbackSource`.
ErrorObject ErrorFromCall(HRESULT hr, IUnknown* object, REFIID iid, const std::wstring& fallbackSource);

// "Error 70: Permission denied" style text for the program's own boxes.
std::wstring ErrorText(const ErrorObject& error);

}  // namespace pellmark
