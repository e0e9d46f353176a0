// A minimal VBScript host for tests: runs script text with named objects of the test visible
// to it, and evaluates expressions. Script errors are kept as text.
#pragma once

#include <windows.h>
#include <activscp.h>

#include <string>
#include <utility>
#include <vector>

#include "common/com_ptr.h"
#include "common/unique_variant.h"

class script_host final : public IActiveScriptSite {
public:
    script_host();
    ~script_host();
    script_host(const script_host&) = delete;
    script_host& operator=(const script_host&) = delete;

    bool ready() const { return engine_ && parser_; }
    // Makes an object visible to scripts under a name; call before run.
    void add_object(const wchar_t* name, IUnknown* object);
    // Runs statements; false when the script stopped with an error (see error()).
    bool run(const wchar_t* code);
    // Evaluates an expression.
    tavrin::unique_variant evaluate(const wchar_t* expression);
    const std::wstring& error() const { return error_; }

    // IActiveScriptSite (the host lives on the stack; reference counts are not used to free it)
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override;
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

private:
    tavrin::com_ptr<IActiveScript> engine_;
    tavrin::com_ptr<IActiveScriptParse> parser_;
    std::vector<std::pair<std::wstring, tavrin::com_ptr<IUnknown>>> objects_;
    std::wstring error_;
};
