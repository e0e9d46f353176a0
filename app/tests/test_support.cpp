#include "app/tests/test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <cstring>

#include "common/unique_handle.h"

namespace pellmark::testing {

namespace {

// The test thread is an OLE apartment, as Pellmark's UI thread is.
class Apartment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new Apartment);

const FakeDriver* find(const std::vector<FakeDriver>& drivers, LPVOID address) {
    for (const auto& d : drivers)
        if (d.address == reinterpret_cast<ULONG_PTR>(address)) return &d;
    return nullptr;
}

void copy(const std::string& text, char* buffer, DWORD size) {
    if (!size) return;
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

::testing::AssertionResult PumpUntil(const std::function<bool()>& done, const char* what, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (done()) return ::testing::AssertionSuccess();
        if (GetTickCount() - start >= ms)
            return ::testing::AssertionFailure() << what << ": not within " << ms << " ms";
        // Wakes at once for a message, and otherwise asks again after a few milliseconds.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool FakeDriverSource::EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* bytesNeeded, DWORD* error) {
    ++enumCalls;
    largestTable = std::max(largestTable, tableBytes);
    if (fail) {
        *error = failCode;
        return false;
    }
    *bytesNeeded = static_cast<DWORD>(drivers.size() * sizeof(LPVOID));
    for (size_t i = 0; i < drivers.size() && i < tableBytes / sizeof(LPVOID); ++i)
        table[i] = reinterpret_cast<LPVOID>(drivers[i].address);
    return true;
}

void FakeDriverSource::GetDeviceDriverBaseNameA(LPVOID address, char* buffer, DWORD size) {
    if (const FakeDriver* d = find(drivers, address); d && !d->unreadable) copy(d->name, buffer, size);
}

void FakeDriverSource::GetDeviceDriverFileNameA(LPVOID address, char* buffer, DWORD size) {
    if (const FakeDriver* d = find(drivers, address)) copy(d->path, buffer, size);
}

STDMETHODIMP CountingDialogs::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAppDialogs) {
        *out = static_cast<IAppDialogs*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CountingDialogs::ShowAbout(LONG_PTR, IAppInfo*, BSTR text, IPictureDisp*, BSTR dedication) {
    boxes.push_back({L"about", 0, 0, std::wstring(text ? text : L"") + L"|" + (dedication ? dedication : L""), L"", L""});
    return S_OK;
}

STDMETHODIMP CountingDialogs::ShowErrorObject(LONG number, BSTR description, BSTR source, LONG style, LONG_PTR,
                                              BSTR* text, VARIANT_BOOL*, LONG* result) {
    boxes.push_back({L"error object", number, style, text && *text ? *text : L"", description ? description : L"",
                     source ? source : L""});
    *result = IDOK;
    return S_OK;
}

STDMETHODIMP CountingDialogs::ShowSystemError(LONG code, LONG style, LONG_PTR, BSTR* text, VARIANT_BOOL*,
                                              LONG* result) {
    boxes.push_back({L"system error", code, style, text && *text ? *text : L"", L"", L""});
    *result = IDOK;
    return S_OK;
}

STDMETHODIMP CountingDialogs::get_Title(BSTR* value) {
    *value = SysAllocString(title.c_str());
    return S_OK;
}

STDMETHODIMP CountingDialogs::put_Title(BSTR value) {
    title = value ? value : L"";
    return S_OK;
}

Hooks TestHooks::Make() {
    Hooks hooks = Hooks::Defaults();
    FakeDriverSource* fake = source;
    hooks.makeDriverSource = [fake]() -> std::unique_ptr<DriverSource> {
        // The window owns its source; hand it a forwarder to the test's.
        struct Forward final : DriverSource {
            FakeDriverSource* to;
            explicit Forward(FakeDriverSource* t) : to(t) {}
            bool EnumDeviceDrivers(LPVOID* t, DWORD b, DWORD* n, DWORD* e) override {
                return to->EnumDeviceDrivers(t, b, n, e);
            }
            void GetDeviceDriverBaseNameA(LPVOID a, char* b, DWORD s) override { to->GetDeviceDriverBaseNameA(a, b, s); }
            void GetDeviceDriverFileNameA(LPVOID a, char* b, DWORD s) override { to->GetDeviceDriverFileNameA(a, b, s); }
            bool SystemModules(std::vector<SystemModule>& m) override { return to->SystemModules(m); }
        };
        return std::make_unique<Forward>(fake);
    };
    hooks.isHostWinNT = [this] { return nt; };
    hooks.createAppDialogs = [this] { return tavrin::com_ptr<IAppDialogs>::copy(&dialogs); };
    if (!withSettings) hooks.createWindowSettings = [] { return tavrin::com_ptr<IWindowSettings>(); };
    hooks.messageBox = [this](HWND, const wchar_t* text, const wchar_t* caption, UINT style) {
        messages.push_back(std::wstring(caption) + L"|" + std::to_wstring(style) + L"|" + text);
        return IDOK;
    };
    return hooks;
}

void ForgetStoredSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Pellmark"); }

bool StoredSettingsExist() {
    tavrin::unique_hkey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrin\\Pellmark", 0, KEY_READ, key.put()) ==
           ERROR_SUCCESS;
}

std::vector<FakeDriver> SmallSystem() {
#ifdef _WIN64
    const ULONG_PTR base = 0xFFFFF80012340000ull;
#else
    const ULONG_PTR base = 0x80400000u;
#endif
    return {{base, "ntoskrnl.exe", "\\SystemRoot\\system32\\ntoskrnl.exe"},
            {base + 0x200000, "hal.dll", "\\SystemRoot\\system32\\hal.dll"},
            {base + 0x300000, "kbdclass.sys", "\\SystemRoot\\system32\\DRIVERS\\kbdclass.sys"}};
}

}  // namespace pellmark::testing
