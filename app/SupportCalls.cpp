#include "app/SupportCalls.h"

#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/unique_bstr.h"
#include "support/TavrinSupport0100.h"

namespace pellmark {

std::wstring HexEx4(ULONG value) {
    tavrin::unique_bstr text;
    if (FAILED(tsHexEx4(value, text.put()))) return {};
    return std::wstring(text.view());
}

std::wstring StringFromPointerA(const char* text) {
    tavrin::unique_bstr result;
    if (!text || FAILED(tsGetStringFromPointerA(text, result.put()))) return {};
    return std::wstring(result.view());
}

std::wstring BuildFileName(const std::wstring& directory, const std::wstring& name) {
    tavrin::unique_bstr dir(directory), file(name), result;
    if (FAILED(tsBuildFileName(dir.get(), file.get(), result.put()))) return {};
    return std::wstring(result.view());
}

bool IsHostWinNT() {
    VARIANT_BOOL nt = VARIANT_TRUE;
    if (FAILED(tsIsHostWinNT(&nt))) return true;
    return nt != VARIANT_FALSE;
}

bool IsInIDE() {
    VARIANT_BOOL inIde = VARIANT_FALSE;
    if (FAILED(tsIsInIDE(&inIde))) return false;
    return inIde != VARIANT_FALSE;
}

}  // namespace pellmark
