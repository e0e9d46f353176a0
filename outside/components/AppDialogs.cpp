// AppDialogs: the about box and the error boxes of a program, as modal message boxes captioned
// with the program's title.
#include <windows.h>

#include <new>  // unique_bstr.h throws std::bad_alloc
#include "common/unique_bstr.h"
#include "outside/components/app_info.h"
#include "outside/components/box_text.h"
#include "outside/components/com_object.h"

namespace tavrin::components {

namespace {

std::wstring system_description(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    return text;
}

HWND owner_or_active(LONG_PTR owner) {
    HWND hwnd = reinterpret_cast<HWND>(owner);
    return IsWindow(hwnd) ? hwnd : GetActiveWindow();
}

// The icon and modality bits of a style, always with the single OK button.
UINT box_style(LONG style) {
    return (static_cast<UINT>(style) & (MB_ICONMASK | MB_DEFMASK | MB_MODEMASK | MB_MISCMASK)) | MB_OK;
}

class AppDialogsObject final : public ComObject<AppDialogsObject, IAppDialogs> {
public:
    STDMETHODIMP ShowAbout(LONG_PTR owner, IAppInfo* appInfo, BSTR text, IPictureDisp*, BSTR dedication) override {
        return com_boundary([&]() -> HRESULT {
            if (!appInfo) return E_POINTER;
            std::wstring title = read_text(appInfo, &IAppInfo::get_Title);
            std::wstring body = about_text(title, read_long(appInfo, &IAppInfo::get_Major),
                                           read_long(appInfo, &IAppInfo::get_Minor),
                                           read_long(appInfo, &IAppInfo::get_Revision), view_or_empty(text),
                                           view_or_empty(dedication));
            std::wstring comments = read_text(appInfo, &IAppInfo::get_LegalCopyright);
            if (!comments.empty()) body += L"\r\n\r\n" + comments;
            std::wstring caption = L"О программе " + (title.empty() ? title_ : title);
            MSGBOXPARAMSW params{};
            params.cbSize = sizeof(params);
            params.hwndOwner = owner_or_active(owner);
            params.lpszText = body.c_str();
            params.lpszCaption = caption.c_str();
            // The program's own icon when it has the usual main icon group, else the information icon.
            HMODULE program = GetModuleHandleW(nullptr);
            if (FindResourceW(program, L"A_MAIN", MAKEINTRESOURCEW(14))) {
                params.hInstance = program;
                params.lpszIcon = L"A_MAIN";
                params.dwStyle = MB_OK | MB_USERICON;
            } else {
                params.dwStyle = MB_OK | MB_ICONINFORMATION;
            }
            MessageBoxIndirectW(&params);
            return S_OK;
        });
    }

    STDMETHODIMP ShowErrorObject(LONG number, BSTR description, BSTR source, LONG style, LONG_PTR owner, BSTR* text,
                                 VARIANT_BOOL* showed, LONG* result) override {
        return com_boundary([&]() -> HRESULT {
            if (!result) return E_POINTER;
            std::wstring body = error_object_text(text ? view_or_empty(*text) : std::wstring(), number,
                                                  view_or_empty(description), view_or_empty(source));
            *result = MessageBoxW(owner_or_active(owner), body.c_str(), title_.c_str(), box_style(style));
            if (showed) *showed = *result ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        });
    }

    STDMETHODIMP ShowSystemError(LONG errorCode, LONG style, LONG_PTR owner, BSTR* text, VARIANT_BOOL* showed,
                                 LONG* result) override {
        return com_boundary([&]() -> HRESULT {
            if (!result) return E_POINTER;
            DWORD code = static_cast<DWORD>(errorCode);
            std::wstring body = system_error_text(text ? view_or_empty(*text) : std::wstring(), code,
                                                  system_description(code));
            *result = MessageBoxW(owner_or_active(owner), body.c_str(), title_.c_str(), box_style(style));
            if (showed) *showed = *result ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        });
    }

    STDMETHODIMP get_Title(BSTR* value) override {
        return com_boundary([&]() -> HRESULT {
            if (!value) return E_POINTER;
            *value = SysAllocStringLen(title_.data(), static_cast<UINT>(title_.size()));
            return *value ? S_OK : E_OUTOFMEMORY;
        });
    }
    STDMETHODIMP put_Title(BSTR value) override {
        return com_boundary([&]() -> HRESULT {
            title_ = view_or_empty(value);
            return S_OK;
        });
    }

private:
    std::wstring title_ = L"Tavrin";
};

}  // namespace

HRESULT create_app_dialogs(REFIID iid, void** out) { return create_object<AppDialogsObject>(iid, out); }

}  // namespace tavrin::components
