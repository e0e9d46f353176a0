// IUnknown written once for every COM object of the suite:
//   class thing final : public tavrin::com_object<thing, counter, IFoo, IBar> { ... };
// gives reference counting and QueryInterface for IUnknown and each listed interface; a class
// that answers to further identities (IDispatch, earlier versions of its interface) defines
//   void* query_more(REFIID iid) noexcept;
// Counter is a type with static created() and destroyed() (no_count: nothing is counted), so that
// a server can answer DllCanUnloadNow. Objects are made with thing::create(...).
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <memory>
#include <utility>

#include "common/com_ptr.h"

namespace tavrin {

struct no_count {
    static void created() noexcept {}
    static void destroyed() noexcept {}
};

template <class Derived, class Counter, class First, class... Rest>
class com_object : public First, public Rest... {
public:
    // The new object with its one reference; throws std::bad_alloc.
    template <class... Args>
    static com_ptr<Derived> create(Args&&... args) {
        auto object = std::make_unique<Derived>(std::forward<Args>(args)...);
        return com_ptr<Derived>::attach(object.release());
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        void* found = IsEqualIID(iid, IID_IUnknown) ? static_cast<First*>(this) : match<First>(iid);
        ((found = found ? found : match<Rest>(iid)), ...);
        if (!found) found = static_cast<Derived*>(this)->query_more(iid);
        *out = found;
        if (!found) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0) std::unique_ptr<Derived> owner(static_cast<Derived*>(this));
        return left;
    }

    // Nothing beyond the listed interfaces (a class hides this with its own).
    void* query_more(REFIID) noexcept { return nullptr; }

protected:
    com_object() noexcept { Counter::created(); }
    ~com_object() { Counter::destroyed(); }
    com_object(const com_object&) = delete;
    com_object& operator=(const com_object&) = delete;

private:
    template <class I>
    void* match(REFIID iid) noexcept {
        return IsEqualIID(iid, __uuidof(I)) ? static_cast<I*>(this) : nullptr;
    }

    std::atomic<ULONG> references_{1};
};

}  // namespace tavrin
