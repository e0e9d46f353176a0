// COM for GoogleTest cases: an apartment per test case, and objects of the registered classes
// created by ProgID as a client creates them.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "common/com_ptr.h"
#include "common/unique_variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// A test case in a single-threaded apartment of its own: COM is initialised before the fixture's
// members are made and released after they are gone, so a fixture holds its objects in plain
// members and needs no TearDown for them. A fixture's own SetUp calls this one first.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(apartment_.result) << "CoInitialize"; }

private:
    struct apartment {
        HRESULT result = CoInitialize(nullptr);
        apartment() = default;
        apartment(const apartment&) = delete;
        apartment& operator=(const apartment&) = delete;
        ~apartment() {
            if (SUCCEEDED(result)) CoUninitialize();
        }
    } apartment_;
};

// An object of a registered class, created by its ProgID in process; null, with a failure of the
// test case that names the ProgID, when the class is not registered or refuses the interface.
template <class Interface>
tavrin::com_ptr<Interface> create_by_progid(const wchar_t* progid) {
    tavrin::com_ptr<Interface> object;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progid, &clsid);
    EXPECT_HRESULT_SUCCEEDED(hr) << "CLSIDFromProgID(" << testing::PrintToString(std::wstring(progid)) << ")";
    if (FAILED(hr)) return object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface), object.put_void());
    EXPECT_HRESULT_SUCCEEDED(hr) << "CoCreateInstance of " << testing::PrintToString(std::wstring(progid));
    return object;
}

// A test case with one object of a registered class, created by ProgID before the case as a
// client creates it; a fixture names it for its tests with a reference member:
//   class ListFile : public test_support::ComObjectTest<_tavFSO> {
//       ListFile() : ComObjectTest(L"Brindle.tavFSO") {}
//       tavrin::com_ptr<_tavFSO>& fso = object;
template <class Interface>
class ComObjectTest : public ComTest {
protected:
    explicit ComObjectTest(const wchar_t* progid) : progid_(progid) {}
    void SetUp() override {
        ComTest::SetUp();
        object = create_by_progid<Interface>(progid_);
        ASSERT_TRUE(object) << testing::PrintToString(std::wstring(progid_));
    }

    tavrin::com_ptr<Interface> object;

private:
    const wchar_t* progid_;
};

// A text as a Variant that owns its string.
inline tavrin::unique_variant text_variant(std::wstring_view text) {
    tavrin::unique_variant v;
    V_VT(v.get()) = VT_BSTR;
    V_BSTR(v.get()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

// Calls a member by name with text arguments, as a script does: the member's HRESULT, and its
// result in `result`.
inline HRESULT call_by_name(IDispatch* object, const wchar_t* name, const std::vector<std::wstring>& texts,
                            VARIANT* result, WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id); FAILED(hr)) return hr;
    std::vector<tavrin::unique_variant> args;
    std::vector<VARIANT> reversed(texts.size());
    for (const std::wstring& text : texts) args.push_back(text_variant(text));
    for (std::size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = *args[i].get();
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

}  // namespace test_support
