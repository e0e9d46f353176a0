#include "app/AppInfo.h"

#include <atomic>
#include <new>
#include <string>

#include "app/version.h"
#include "common/com_object.h"
#include "common/module_path.h"

namespace pellmark {

namespace {

HRESULT give(const wchar_t* text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT give(LONG value, LONG* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

class AppInfoObject final : public tavrin::com_object<AppInfoObject, tavrin::no_count, IAppInfo> {
public:
    explicit AppInfoObject(const std::wstring& directory)
        : directory_(directory.empty() ? tavrin::module_folder(nullptr) : directory) {}

    STDMETHODIMP get_Title(BSTR* v) override { return give(kAppTitle, v); }
    STDMETHODIMP get_Path(BSTR* v) override { return give(directory_.c_str(), v); }
    STDMETHODIMP get_EXEName(BSTR* v) override { return give(L"Pellmark", v); }
    STDMETHODIMP get_Major(LONG* v) override { return give(PELLMARK_VERSION_MAJOR, v); }
    STDMETHODIMP get_Minor(LONG* v) override { return give(PELLMARK_VERSION_MINOR, v); }
    STDMETHODIMP get_Revision(LONG* v) override { return give(PELLMARK_VERSION_REVISION, v); }
    STDMETHODIMP get_ProductName(BSTR* v) override { return give(L"Tavrin", v); }
    STDMETHODIMP get_CompanyName(BSTR* v) override { return give(L"Tavrin", v); }
    STDMETHODIMP get_FileDescription(BSTR* v) override { return give(L"Tavrin - Pellmark 1.00", v); }
    STDMETHODIMP get_LegalCopyright(BSTR* v) override { return give(L"Copyright (C) Tavrin", v); }
    STDMETHODIMP get_Comments(BSTR* v) override { return give(L"Tavrin - Pellmark 1.00", v); }

private:
    std::wstring directory_;
};

}  // namespace

tavrin::com_ptr<IAppInfo> CreateAppInfo(const std::wstring& directory) {
    return tavrin::com_ptr<IAppInfo>::attach(AppInfoObject::create(directory).detach());
}

}  // namespace pellmark
