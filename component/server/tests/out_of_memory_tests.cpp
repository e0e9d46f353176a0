// Out of memory at the library's boundaries: with every C++ allocation of this process failing
// on request (the global operators new below), calls come back as error 7 / E_OUTOFMEMORY and
// nothing ends the process. The first test runs on a fresh process, before the type library
// cache exists.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "component/fso/tavFSO.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_variant.h"
#include "tests/support/com_test.h"

namespace {
std::atomic<bool> failing{false};
std::atomic<long> refused{0};

void* allocate(std::size_t size) {
    if (failing.load()) {
        ++refused;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// While alive, every allocation through operator new fails.
struct memory_gone {
    memory_gone() { failing = true; }
    ~memory_gone() { failing = false; }
};
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failing.load()) { ++refused; return nullptr; }
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using tavrin::com_ptr;
using tavrin::unique_bstr;

const HRESULT out_of_memory_error = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 7);

// Each case in an apartment of its own.
class OutOfMemory : public test_support::ComTest {};

// Declared first: the type library cache is made on the first late-bound call of the process.
TEST_F(OutOfMemory, FirstLateBoundCallFailsCleanlyAndTheNextOneWorks) {
    com_ptr<brindle::tavFSO> fso = brindle::tavFSO::create();
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetFileB")};
    DISPID id = 0;
    HRESULT hr;
    {
        memory_gone gone;
        hr = fso->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    }
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_GT(refused.load(), 0);
    EXPECT_HRESULT_SUCCEEDED(fso->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))
        << "a cache that could not be made is made on the next call";
    EXPECT_EQ(id, 0x60030009);
}

TEST_F(OutOfMemory, MembersReportErrorSeven) {
    com_ptr<brindle::tavFSO> fso = brindle::tavFSO::create();
    unique_bstr missing(L"Z:\\no\\such\\file.bin");
    SAFEARRAY* bytes = nullptr;
    HRESULT hr;
    {
        memory_gone gone;
        hr = fso->GetFileB(missing.get(), VARIANT_TRUE, &bytes);
    }
    EXPECT_EQ(hr, out_of_memory_error);
    EXPECT_EQ(bytes, nullptr);
    com_ptr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    unique_bstr text;
    info->GetDescription(text.put());
    EXPECT_EQ(text.view(), L"Out of memory");

    // Late bound: the dispatcher itself runs out.
    unique_bstr name(L"Z:\\no\\such\\file.bin");
    VARIANT argument;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = name.get();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    tavrin::unique_variant result;
    EXCEPINFO exception{};
    {
        memory_gone gone;
        hr = fso->Invoke(0x60030009, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &exception,
                         nullptr);
    }
    EXPECT_TRUE(hr == E_OUTOFMEMORY || (hr == DISP_E_EXCEPTION && exception.scode == out_of_memory_error)) << std::hex << hr;
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
}

}  // namespace
