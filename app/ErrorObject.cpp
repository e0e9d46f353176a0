#include "app/ErrorObject.h"

#include <oleauto.h>

#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/com_ptr.h"
#include "common/unique_bstr.h"

namespace pellmark {

namespace {

std::wstring SystemText(HRESULT hr) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                                  nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) {
        wchar_t hex[16];
        wsprintfW(hex, L"0x%08lX", static_cast<unsigned long>(hr));
        text = hex;
    }
    return text;
}

}  // namespace

LONG ErrorNumber(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    return static_cast<LONG>(hr);
}

ErrorObject ErrorFromCall(HRESULT hr, IUnknown* object, REFIID iid, const std::wstring& fallbackSource) {
    ErrorObject error;
    error.number = ErrorNumber(hr);
    // Error information left by some earlier call must not be taken for this one: read it only
    // when the object vouches for the interface.
    bool supplied = false;
    if (object) {
        tavrin::com_ptr<ISupportErrorInfo> support;
        if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.put_void())) && support &&
            support->InterfaceSupportsErrorInfo(iid) == S_OK)
            supplied = true;
    }
    tavrin::com_ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) == S_OK && info && supplied) {
        tavrin::unique_bstr description, source;
        if (SUCCEEDED(info->GetDescription(description.put()))) error.description = description.view();
        if (SUCCEEDED(info->GetSource(source.put()))) error.source = source.view();
    }
    if (error.description.empty()) error.description = SystemText(hr);
    if (error.source.empty()) error.source = fallbackSource;
    return error;
}

std::wstring ErrorText(const ErrorObject& error) {
    std::wstring text = L"Ошибка " + std::to_wstring(error.number) + L": " + error.description;
    if (!error.source.empty()) text += L"\r\n(" + error.source + L")";
    return text;
}

}  // namespace pellmark
