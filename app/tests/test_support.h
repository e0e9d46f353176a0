// Shared pieces of Pellmark's in-process tests: an apartment for the test thread, a message pump,
// a driver source with a set of the test's choosing, and an AppDialogs that counts its boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TavrinComponents.h"
#include "app/DriverSource.h"
#include "app/Hooks.h"
#include "common/com_ptr.h"

namespace pellmark::testing {

// Handles the messages that are waiting.
void Pump();

// Handles messages as they come until `done` holds, asking it again every few milliseconds;
// fails naming `what` when `ms` milliseconds pass first.
::testing::AssertionResult PumpUntil(const std::function<bool()>& done, const char* what, DWORD ms = 10000);

// A driver set the test fills in; entries with `unreadable` fail their base-name call.
struct FakeDriver {
    ULONG_PTR address;
    std::string name;
    std::string path;
    bool unreadable = false;
};

class FakeDriverSource final : public DriverSource {
public:
    std::vector<FakeDriver> drivers;
    bool fail = false;
    DWORD failCode = ERROR_ACCESS_DENIED;
    // Largest table size (bytes) the source was handed, and how often it was asked.
    DWORD largestTable = 0;
    int enumCalls = 0;
    // The module information: the list, or a failure.
    std::vector<SystemModule> modules;
    bool modulesFail = false;

    bool EnumDeviceDrivers(LPVOID* table, DWORD tableBytes, DWORD* bytesNeeded, DWORD* error) override;
    void GetDeviceDriverBaseNameA(LPVOID address, char* buffer, DWORD size) override;
    void GetDeviceDriverFileNameA(LPVOID address, char* buffer, DWORD size) override;
    bool SystemModules(std::vector<SystemModule>& out) override {
        out = modules;
        return !modulesFail;
    }
};

// Records every box instead of showing it.
class CountingDialogs final : public IAppDialogs {
public:
    struct Box {
        std::wstring kind;
        LONG code = 0;
        LONG style = 0;
        std::wstring text;
        std::wstring description;  // error objects only
        std::wstring source;
    };
    std::vector<Box> boxes;
    std::wstring title;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
    STDMETHODIMP ShowAbout(LONG_PTR, IAppInfo*, BSTR text, IPictureDisp*, BSTR dedication) override;
    STDMETHODIMP ShowErrorObject(LONG number, BSTR, BSTR, LONG style, LONG_PTR, BSTR* text, VARIANT_BOOL*,
                                 LONG* result) override;
    STDMETHODIMP ShowSystemError(LONG code, LONG style, LONG_PTR, BSTR* text, VARIANT_BOOL*, LONG* result) override;
    STDMETHODIMP get_Title(BSTR* value) override;
    STDMETHODIMP put_Title(BSTR value) override;
    ULONG refs() const { return refs_; }

private:
    ULONG refs_ = 1;
};

// Hooks for a test: the given source (not owned; it must outlive the window), the counting
// dialogs, an NT host, message boxes recorded in `messages`, and the real WindowSettings.
struct TestHooks {
    FakeDriverSource* source = nullptr;
    CountingDialogs dialogs;
    std::vector<std::wstring> messages;
    bool nt = true;
    bool withSettings = true;
    Hooks Make();
};

// Removes Pellmark's stored settings (HKCU\Software\Tavrin\Pellmark).
void ForgetStoredSettings();
bool StoredSettingsExist();

// Three drivers like a small system.
std::vector<FakeDriver> SmallSystem();

}  // namespace pellmark::testing
