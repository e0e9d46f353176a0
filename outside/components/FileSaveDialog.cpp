// FileSaveDialog: the platform's save-file dialog with a "name|pattern|..." filter.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "outside/components/app_info.h"
#include "outside/components/com_object.h"
#include "outside/components/settings_format.h"

namespace tavrin::components {

namespace {

// Long enough for any path the shell accepts.
constexpr DWORD kNameBuffer = 32768;

HRESULT give(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class FileSaveDialogObject final : public ComObject<FileSaveDialogObject, ITavrinFileSaveDialog> {
public:
    STDMETHODIMP get_FileName(BSTR* value) override { return give(fileName_, value); }
    STDMETHODIMP put_FileName(BSTR value) override {
        return com_boundary([&]() -> HRESULT {
            std::wstring name = view_or_empty(value);
            if (name.size() >= kNameBuffer || name.find(L'\0') != std::wstring::npos) return E_INVALIDARG;
            fileName_ = std::move(name);
            return S_OK;
        });
    }
    STDMETHODIMP get_OwnerWindow(LONG_PTR* value) override {
        return com_boundary([&]() -> HRESULT {
            if (!value) return E_POINTER;
            *value = owner_;
            return S_OK;
        });
    }
    STDMETHODIMP put_OwnerWindow(LONG_PTR value) override {
        return com_boundary([&]() -> HRESULT {
            owner_ = value;
            return S_OK;
        });
    }
    STDMETHODIMP get_Filter(BSTR* value) override { return give(filter_, value); }
    STDMETHODIMP put_Filter(BSTR value) override {
        return com_boundary([&]() -> HRESULT {
            std::wstring filter = view_or_empty(value);
            auto list = filter_to_dialog_list(filter);
            if (!list) return E_INVALIDARG;
            filter_ = std::move(filter);
            filterList_ = std::move(*list);
            return S_OK;
        });
    }

    STDMETHODIMP ShowSave(VARIANT_BOOL* confirmed) override {
        return com_boundary([&]() -> HRESULT {
            if (!confirmed) return E_POINTER;
            *confirmed = VARIANT_FALSE;
            std::vector<wchar_t> buffer(kNameBuffer, L'\0');
            fileName_.copy(buffer.data(), buffer.size() - 1);
            OPENFILENAMEW ofn{};
            ofn.lStructSize = sizeof(ofn);
            HWND owner = reinterpret_cast<HWND>(owner_);
            ofn.hwndOwner = IsWindow(owner) ? owner : nullptr;
            ofn.lpstrFilter = filterList_.empty() ? nullptr : filterList_.c_str();
            ofn.nFilterIndex = 1;
            ofn.lpstrFile = buffer.data();
            ofn.nMaxFile = static_cast<DWORD>(buffer.size());
            ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                        OFN_ENABLESIZING;
            if (!GetSaveFileNameW(&ofn)) {
                DWORD error = CommDlgExtendedError();
                // Zero means the user cancelled; anything else is a failure of the dialog itself.
                return error ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x200 + (error & 0xFF)) : S_OK;
            }
            fileName_.assign(buffer.data());
            *confirmed = VARIANT_TRUE;
            return S_OK;
        });
    }

private:
    std::wstring fileName_;
    std::wstring filter_;
    std::wstring filterList_;
    LONG_PTR owner_ = 0;
};

}  // namespace

HRESULT create_file_save_dialog(REFIID iid, void** out) { return create_object<FileSaveDialogObject>(iid, out); }

}  // namespace tavrin::components
