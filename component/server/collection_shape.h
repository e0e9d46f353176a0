// The shape shared by the library's list classes (tavFileStreams, tavFoundedFiles): Count,
// default Item(Index) with a zero-based Index, NewEnum, over an inner one-based Collection.
// Item has no range check of its own: every Index outside the list gets the inner list's error 9
// (2147483647 too: its one-based position is counted in 64 bits, so it is out of range, not an
// overflow).
//   class tavFoo : public brindle::collection_object<tavFoo, _tavFoo, _FooElement> { ... };
#pragma once

#include "component/server/collection.h"
#include "component/server/errors.h"
#include "component/server/object.h"

namespace brindle {

template <class Derived, class Interface, class Element>
class collection_object : public dispatch_object<Derived, Interface> {
public:
    STDMETHODIMP get_Count(long* Result) override {
        return com_call(Result, [&] { return items_->count(); });
    }
    STDMETHODIMP get_Item(long Index, Element** Result) override {
        return com_call(Result, [&] {
            return items_->template item_as<Element>(static_cast<long long>(Index) + 1);
        });
    }
    STDMETHODIMP get_NewEnum(IUnknown** Result) override {
        return com_call(Result, [&] { return items_->new_enum(); });
    }

    // The inner list, for the library's own code (not part of the interface).
    Collection& items() noexcept { return *items_.get(); }
    // A new empty inner list in place of the old one; enumerators and clients that hold the old
    // list keep it as it was.
    void replace_items() { items_ = Collection::create(); }
    void append(Element* element) { items_->append(static_cast<IDispatch*>(element)); }

protected:
    collection_object() : items_(Collection::create()) {}

private:
    tavrin::com_ptr<Collection> items_;
};

}  // namespace brindle
