// An IAppInfo of a made-up program for the component tests; settings land under
// HKCU\Software\Tavrin\ComponentsTest.
#pragma once

#include <gtest/gtest.h>
#include <ole2.h>

#include <string>

#include "TavrinComponents.h"

namespace tavrin::components::testing {

class TestAppInfo final : public IAppInfo {
public:
    std::wstring title = L"Tavrin - Pellmark";
    std::wstring exeName = L"ComponentsTest";

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IAppInfo) {
            *out = static_cast<IAppInfo*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP get_Title(BSTR* v) override { return give(title, v); }
    STDMETHODIMP get_Path(BSTR* v) override { return give(L"C:\\Program Files\\Test", v); }
    STDMETHODIMP get_EXEName(BSTR* v) override { return give(exeName, v); }
    STDMETHODIMP get_Major(LONG* v) override { *v = 1; return S_OK; }
    STDMETHODIMP get_Minor(LONG* v) override { *v = 0; return S_OK; }
    STDMETHODIMP get_Revision(LONG* v) override { *v = 5; return S_OK; }
    STDMETHODIMP get_ProductName(BSTR* v) override { return give(L"Tavrin", v); }
    STDMETHODIMP get_CompanyName(BSTR* v) override { return give(L"Tavrin", v); }
    STDMETHODIMP get_FileDescription(BSTR* v) override { return give(L"Test", v); }
    STDMETHODIMP get_LegalCopyright(BSTR* v) override { return give(L"", v); }
    STDMETHODIMP get_Comments(BSTR* v) override { return give(L"", v); }

private:
    static HRESULT give(const std::wstring& text, BSTR* out) {
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
};

// The test thread as an OLE apartment, for as long as a test runs.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

}  // namespace tavrin::components::testing
