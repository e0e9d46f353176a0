#include "script_host.h"

#include "common/unique_bstr.h"

namespace {
const CLSID clsid_vbscript = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};
// IActiveScriptParse has a 32- and a 64-bit identity.
#ifdef _WIN64
const IID iid_script_parse = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};
#else
const IID iid_script_parse = {0xBB1A2AE2, 0xA4F9, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
#endif
}

script_host::script_host() {
    if (FAILED(CoCreateInstance(clsid_vbscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine_.put_void())))
        return;
    if (FAILED(engine_.query(iid_script_parse, parser_.put_void())) || FAILED(parser_->InitNew()) ||
        FAILED(engine_->SetScriptSite(this)) || FAILED(engine_->SetScriptState(SCRIPTSTATE_STARTED)))
        parser_.reset();
}

script_host::~script_host() {
    if (engine_) engine_->Close();
}

void script_host::add_object(const wchar_t* name, IUnknown* object) {
    objects_.emplace_back(name, tavrin::com_ptr<IUnknown>::copy(object));
    engine_->AddNamedItem(name, SCRIPTITEM_ISVISIBLE);
}

bool script_host::run(const wchar_t* code) {
    error_.clear();
    EXCEPINFO info{};
    HRESULT hr = parser_->ParseScriptText(code, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &info);
    if (FAILED(hr) && error_.empty()) error_ = L"script failed";
    return SUCCEEDED(hr) && error_.empty();
}

tavrin::unique_variant script_host::evaluate(const wchar_t* expression) {
    tavrin::unique_variant result;
    EXCEPINFO info{};
    parser_->ParseScriptText(expression, nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISEXPRESSION, result.get(), &info);
    return result;
}

STDMETHODIMP script_host::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IActiveScriptSite)) return E_NOINTERFACE;
    *object = static_cast<IActiveScriptSite*>(this);
    return S_OK;
}

STDMETHODIMP script_host::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) {
    if (info) *info = nullptr;
    if (item) *item = nullptr;
    for (auto& [known, object] : objects_) {
        if (known != name) continue;
        if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
            object->AddRef();
            *item = object.get();
        }
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP script_host::OnScriptError(IActiveScriptError* error) {
    EXCEPINFO info{};
    error->GetExceptionInfo(&info);
    error_ = L"script error " + std::to_wstring(info.scode & 0xFFFF) + L": " +
             (info.bstrDescription ? info.bstrDescription : L"");
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return S_OK;
}
