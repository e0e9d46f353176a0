// The object frame of the components: reference counting, QueryInterface for IUnknown and one
// interface, and the server-wide count of live objects and locks that DllCanUnloadNow reads.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace tavrin::components {

// Live objects plus LockServer locks of this DLL.
extern std::atomic<long> g_server_locks;

template <class Interface>
class ComObject : public Interface {
public:
    ComObject() { ++g_server_locks; }
    virtual ~ComObject() { --g_server_locks; }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> refs_{1};
};

// Creates an object whose only reference is handed over through *out.
template <class T>
HRESULT create_object(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    T* object = new (std::nothrow) T();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// Class entries of the server (one row per creatable class).
HRESULT create_window_settings(REFIID iid, void** out);
HRESULT create_app_dialogs(REFIID iid, void** out);
HRESULT create_file_save_dialog(REFIID iid, void** out);

}  // namespace tavrin::components
