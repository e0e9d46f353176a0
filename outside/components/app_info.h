// Reading IAppInfo values and the settings key they name.
#pragma once

#include <string>

#include "TavrinComponents.h"
#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/unique_bstr.h"

namespace tavrin::components {

inline std::wstring read_text(IAppInfo* info, HRESULT (STDMETHODCALLTYPE IAppInfo::*getter)(BSTR*)) {
    unique_bstr value;
    if (!info || FAILED((info->*getter)(value.put()))) return {};
    return std::wstring(value.view());
}

inline long read_long(IAppInfo* info, HRESULT (STDMETHODCALLTYPE IAppInfo::*getter)(LONG*)) {
    LONG value = 0;
    if (!info || FAILED((info->*getter)(&value))) return 0;
    return value;
}

inline std::wstring view_or_empty(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace tavrin::components
