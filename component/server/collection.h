// Collection: the ordered, one-based list with optional case-insensitive string keys that
// automation clients know from the Basic runtime (interface _Collection). The library keeps its
// inner lists in it and hands it to clients (ReadStandardListFile). Positions are one-based;
// a position outside 1..Count raises 9, an unknown key 5, a key given twice 457.
//
// Positional access is O(1), and so are appending and removing at either end; keys are found
// through a hash map; inserting or removing in the middle moves the later elements. Enumerators
// keep the list alive and walk it by position, so changing the list while enumerating never
// touches freed memory.
//
// A list the library reads from a file (create_loaded) keeps the items' text in the reader's one
// buffer, and a value is made from it each time a client asks for one: reading a large list then
// costs about what reading its bytes does. The first use of the list's keys makes every item.
#pragma once

#include "Brindle.h"
#include "component/server/errors.h"
#include "component/server/object.h"
#include "common/com_ptr.h"
#include "common/unique_bstr.h"
#include "common/unique_variant.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brindle {

class Collection : public dispatch_object<Collection, _Collection> {
public:
    // The library's side. Positions are one-based; 64-bit so that callers can add 1 to a
    // client's zero-based Long without overflow.
    long count() const noexcept { return static_cast<long>(entries_.size()); }
    void append(const VARIANT& value);
    void append(IDispatch* object);
    void append(std::wstring_view text);
    // Appends under a key; throws 457 when the key is taken.
    void append(const VARIANT& value, std::wstring_view key);
    void append(std::wstring_view text, std::wstring_view key);
    // The items of a text the library read, one after another in one buffer: item i (from 0)
    // runs from ends[i - 1] (0 for the first) to ends[i], in `ascii` bytes (each one character)
    // or else in `wide`.
    struct loaded_items {
        std::string ascii;
        tavrin::unique_bstr wide;
        bool is_wide = false;
        std::vector<std::uint32_t> ends;
    };
    // A new list of the items, each under the key that is its one-based number among them ("1",
    // "2", ...); they stay in `items` until a client asks for them.
    static tavrin::com_ptr<Collection> create_loaded(loaded_items items);
    bool contains_key(std::wstring_view key) const;
    // Copies of the stored value.
    tavrin::unique_variant item(long long position) const;          // raises 9
    tavrin::unique_variant item(std::wstring_view key) const;       // raises 5
    // The element at a position as interface I (raises 9; 13 when it is not such an object).
    template <class I>
    tavrin::com_ptr<I> item_as(long long position) const {
        const entry* e = at(position).made.get();  // a loaded item is a text
        const VARIANT* v = e ? e->value.get() : nullptr;
        tavrin::com_ptr<I> out;
        if (!v || (V_VT(v) != VT_DISPATCH && V_VT(v) != VT_UNKNOWN) || !V_UNKNOWN(v) ||
            FAILED(V_UNKNOWN(v)->QueryInterface(__uuidof(I), out.put_void())))
            raise(err_type_mismatch);
        return out;
    }
    void remove(long long position);                                // raises 9
    void remove(std::wstring_view key);                              // raises 5
    void clear() noexcept;
    tavrin::com_ptr<IUnknown> new_enum();

    // _Collection
    STDMETHODIMP Item(VARIANT* Index, VARIANT* pvarRet) override;
    STDMETHODIMP Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) override;
    STDMETHODIMP Count(long* pi4) override;
    STDMETHODIMP Remove(VARIANT* Index) override;
    STDMETHODIMP _NewEnum(IUnknown** ppunk) override;

private:
    friend class collection_enumerator;
    struct entry {
        tavrin::unique_variant value;
        std::wstring folded_key;  // empty: no key
    };
    // One element: its entry, or while it is a loaded item not made yet, that item's number.
    struct slot {
        std::unique_ptr<entry> made;
        std::uint32_t loaded = 0;  // one-based; 0 once made
    };

    const slot& at(long long position) const;  // raises 9
    const entry& at(std::wstring_view key) const;  // raises 5
    std::size_t position_of(std::wstring_view key) const;  // zero-based; raises 5
    std::size_t position_of_index(const VARIANT* index) const;  // by key or one-based position
    void insert(std::size_t at, const VARIANT& value, std::wstring_view key, bool keyed);
    // The same, taking over a value the caller made for the list (no copy of it).
    void insert_owned(std::size_t at, std::unique_ptr<entry> e, std::wstring_view key, bool keyed);
    static std::unique_ptr<entry> text_entry(std::wstring_view text);  // a text value, no key yet
    static std::unique_ptr<entry> text_entry(tavrin::unique_bstr text);
    void erase(std::size_t at) noexcept;
    // A copy of the element's value into `out` (a loaded item's text as a new BSTR).
    HRESULT copy_value(const slot& s, VARIANT* out) const noexcept;
    // The text of a loaded item as a new BSTR.
    static tavrin::unique_bstr loaded_text(const loaded_items& items, std::uint32_t item);
    // Makes an entry of every loaded item still waiting, each indexed under its key.
    void make_loaded() const;
    // The key index, every loaded item made first.
    std::unordered_map<std::wstring_view, const entry*>& keys() const;

    // Removing the first is cheap too. Making loaded items changes nothing a client sees, so
    // the list may do it while answering a question.
    mutable std::deque<slot> entries_;
    mutable std::unique_ptr<loaded_items> loaded_;  // the text of the items not made yet
    mutable std::size_t waiting_ = 0;              // how many those are
    // Every made entry with a key, by a view of its own folded key (each entry is a stable heap
    // object). Only loaded items are keyed without a client's asking, so while some wait no other
    // element has a key.
    mutable std::unordered_map<std::wstring_view, const entry*> keys_;
};

}  // namespace brindle
