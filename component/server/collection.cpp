#include "component/server/collection.h"

#include "common/unique_bstr.h"
#include "common/upper_case.h"

#include <atomic>

namespace brindle {
namespace {

// Keys compare without regard to case: they are stored upper-cased.
std::wstring fold_key(std::wstring_view key) {
    std::wstring folded(key);
    tavrin::fold_upper_case(folded.data(), folded.size());
    return folded;
}

// For a call that leaves no error object of its own (copying a value): a failure raises the
// number its HRESULT stands for, without clearing the thread's error object on every call first.
void check(HRESULT hr) {
    if (FAILED(hr)) raise(number_from_hresult(hr));
}

// The value behind a by-reference argument.
const VARIANT* dereference(const VARIANT* v) noexcept {
    while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return v;
}

bool is_missing(const VARIANT* v) noexcept {
    v = dereference(v);
    return !v || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

bool is_text(const VARIANT* v) noexcept {
    return (V_VT(v) & VT_TYPEMASK) == VT_BSTR && !(V_VT(v) & VT_ARRAY);
}

std::wstring_view text_of(const VARIANT* v) noexcept {
    BSTR b = (V_VT(v) & VT_BYREF) ? *V_BSTRREF(v) : V_BSTR(v);
    return {b ? b : L"", SysStringLen(b)};
}

// The decimal text of a positive number, written into buffer (no allocation per item).
std::wstring_view decimal(std::uint32_t value, wchar_t (&buffer)[16]) noexcept {
    wchar_t* end = buffer + 16;
    wchar_t* p = end;
    do {
        *--p = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return {p, static_cast<std::size_t>(end - p)};
}

long long position_from(const VARIANT* v) {
    tavrin::unique_variant number;
    if (FAILED(VariantChangeType(number.get(), const_cast<VARIANT*>(v), 0, VT_I4))) raise(err_type_mismatch);
    return V_I4(number.get());
}

}  // namespace

// IEnumVARIANT over a Collection, by position.
class collection_enumerator final : public tavrin::com_object<collection_enumerator, module_counter, IEnumVARIANT> {
public:
    collection_enumerator(tavrin::com_ptr<Collection> list, std::size_t position) noexcept
        : list_(std::move(list)), position_(position) {}

    STDMETHODIMP Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
        if (!items || (wanted > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        const auto& entries = list_->entries_;
        while (n < wanted && position_ < entries.size()) {
            VariantInit(&items[n]);
            HRESULT hr = list_->copy_value(entries[position_], &items[n]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i) VariantClear(&items[i]);
                if (fetched) *fetched = 0;
                return hr;
            }
            ++position_;
            ++n;
        }
        if (fetched) *fetched = n;
        return n == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        std::size_t size = list_->entries_.size();
        std::size_t left = position_ < size ? size - position_ : 0;
        if (count > left) {
            position_ = size;
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        try {
            *copy = create(list_, position_).detach();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

private:
    tavrin::com_ptr<Collection> list_;
    std::size_t position_;
};

// ---- the library's side ------------------------------------------------------------------

void Collection::insert(std::size_t at, const VARIANT& value, std::wstring_view key, bool keyed) {
    auto e = std::make_unique<entry>();
    check(VariantCopyInd(e->value.get(), const_cast<VARIANT*>(&value)));
    insert_owned(at, std::move(e), key, keyed);
}

void Collection::insert_owned(std::size_t at, std::unique_ptr<entry> e, std::wstring_view key, bool keyed) {
    keyed = keyed && !key.empty();  // an empty key is no key
    const entry* added = e.get();
    if (keyed) {
        e->folded_key = fold_key(key);
        if (!keys().try_emplace(added->folded_key, added).second) raise(err_key_already_exists);
    }
    try {
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), slot{std::move(e)});
    } catch (...) {
        if (keyed) keys_.erase(added->folded_key);
        throw;
    }
}

std::unique_ptr<Collection::entry> Collection::text_entry(std::wstring_view text) {
    return text_entry(tavrin::unique_bstr(text));
}

std::unique_ptr<Collection::entry> Collection::text_entry(tavrin::unique_bstr text) {
    auto e = std::make_unique<entry>();
    V_BSTR(e->value.get()) = text.release();
    V_VT(e->value.get()) = VT_BSTR;
    return e;
}

tavrin::unique_bstr Collection::loaded_text(const loaded_items& items, std::uint32_t item) {
    const std::uint32_t begin = item > 1 ? items.ends[item - 2] : 0, length = items.ends[item - 1] - begin;
    if (items.is_wide) return tavrin::unique_bstr(std::wstring_view(items.wide.get() + begin, length));
    tavrin::unique_bstr text(SysAllocStringLen(nullptr, length));
    if (!text.get()) throw std::bad_alloc();
    const char* from = items.ascii.data() + begin;
    for (std::uint32_t i = 0; i < length; ++i) text.get()[i] = static_cast<wchar_t>(static_cast<unsigned char>(from[i]));
    return text;
}

tavrin::com_ptr<Collection> Collection::create_loaded(loaded_items items) {
    tavrin::com_ptr<Collection> list = create();
    const std::size_t count = items.ends.size();
    if (count == 0) return list;
    auto kept = std::make_unique<loaded_items>(std::move(items));
    for (std::size_t i = 0; i < count; ++i) list->entries_.push_back(slot{nullptr, static_cast<std::uint32_t>(i + 1)});
    list->loaded_ = std::move(kept);
    list->waiting_ = count;
    return list;
}

HRESULT Collection::copy_value(const slot& s, VARIANT* out) const noexcept {
    if (s.made) return VariantCopy(out, const_cast<VARIANT*>(s.made->value.get()));
    try {
        V_BSTR(out) = loaded_text(*loaded_, s.loaded).release();
        V_VT(out) = VT_BSTR;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void Collection::make_loaded() const {
    wchar_t number[16];
    keys_.reserve(entries_.size());
    for (slot& s : entries_) {
        if (s.made) continue;
        std::unique_ptr<entry> e = text_entry(loaded_text(*loaded_, s.loaded));
        e->folded_key.assign(decimal(s.loaded, number));  // digits are their own upper case
        keys_.emplace(e->folded_key, e.get());  // the numbers differ: no key is taken twice
        s.made = std::move(e);
        s.loaded = 0;
        --waiting_;
    }
    loaded_.reset();
}

std::unordered_map<std::wstring_view, const Collection::entry*>& Collection::keys() const {
    if (waiting_ > 0) make_loaded();
    return keys_;
}

void Collection::erase(std::size_t at) noexcept {
    const slot& s = entries_[at];
    if (!s.made) {
        if (--waiting_ == 0) loaded_.reset();
    } else if (!s.made->folded_key.empty()) {
        keys_.erase(s.made->folded_key);
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
}

void Collection::append(const VARIANT& value) { insert(entries_.size(), value, {}, false); }

void Collection::append(const VARIANT& value, std::wstring_view key) {
    insert(entries_.size(), value, key, true);
}

void Collection::append(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    append(v);
}

void Collection::append(std::wstring_view text) { insert_owned(entries_.size(), text_entry(text), {}, false); }

void Collection::append(std::wstring_view text, std::wstring_view key) {
    insert_owned(entries_.size(), text_entry(text), key, true);
}

bool Collection::contains_key(std::wstring_view key) const { return keys().count(fold_key(key)) != 0; }

const Collection::slot& Collection::at(long long position) const {
    if (position < 1 || position > static_cast<long long>(entries_.size())) raise(err_subscript_out_of_range);
    return entries_[static_cast<std::size_t>(position - 1)];
}

std::size_t Collection::position_of(std::wstring_view key) const {
    const auto& index = keys();
    auto found = index.find(fold_key(key));
    if (found == index.end()) raise(err_invalid_call);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].made.get() == found->second) return i;
    raise(err_invalid_call);
}

std::size_t Collection::position_of_index(const VARIANT* index) const {
    index = dereference(index);
    if (is_missing(index)) raise(err_invalid_call);
    if (is_text(index)) return position_of(text_of(index));
    long long position = position_from(index);
    at(position);
    return static_cast<std::size_t>(position - 1);
}

tavrin::unique_variant Collection::item(long long position) const {
    tavrin::unique_variant copy;
    check(copy_value(at(position), copy.get()));
    return copy;
}

const Collection::entry& Collection::at(std::wstring_view key) const {
    const auto& index = keys();
    auto found = index.find(fold_key(key));
    if (found == index.end()) raise(err_invalid_call);
    return *found->second;
}

tavrin::unique_variant Collection::item(std::wstring_view key) const {
    tavrin::unique_variant copy;
    check(VariantCopy(copy.get(), const_cast<VARIANT*>(at(key).value.get())));
    return copy;
}

void Collection::remove(long long position) {
    at(position);
    erase(static_cast<std::size_t>(position - 1));
}

void Collection::remove(std::wstring_view key) { erase(position_of(key)); }

void Collection::clear() noexcept {
    keys_.clear();
    entries_.clear();
    loaded_.reset();
    waiting_ = 0;
}

tavrin::com_ptr<IUnknown> Collection::new_enum() {
    auto e = collection_enumerator::create(tavrin::com_ptr<Collection>::copy(this), 0);
    return tavrin::com_ptr<IUnknown>::attach(e.detach());
}

// ---- _Collection ---------------------------------------------------------------------------

STDMETHODIMP Collection::Item(VARIANT* Index, VARIANT* pvarRet) {
    if (!pvarRet) return fail_without_error_info(E_POINTER);
    VariantInit(pvarRet);
    return com_call(pvarRet, [&] {
        const VARIANT* index = dereference(Index);
        if (!is_missing(index) && is_text(index)) return item(text_of(index));
        return item(static_cast<long long>(position_of_index(Index)) + 1);
    });
}

STDMETHODIMP Collection::Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) {
    return com_call([&] {
        const VARIANT* value = dereference(Item);
        if (!value) raise(err_invalid_call);
        std::wstring key;
        bool keyed = false;
        if (!is_missing(Key)) {
            const VARIANT* k = dereference(Key);
            if (!is_text(k)) raise(err_type_mismatch);
            key = text_of(k);
            keyed = true;
        }
        bool before = !is_missing(Before), after = !is_missing(After);
        if (before && after) raise(err_invalid_call);
        std::size_t at = entries_.size();
        if (before) at = position_of_index(Before);
        if (after) at = position_of_index(After) + 1;
        insert(at, *value, key, keyed);
    });
}

STDMETHODIMP Collection::Count(long* pi4) {
    return com_call(pi4, [&] { return count(); });
}

STDMETHODIMP Collection::Remove(VARIANT* Index) {
    return com_call([&] { erase(position_of_index(Index)); });
}

STDMETHODIMP Collection::_NewEnum(IUnknown** ppunk) {
    return com_call(ppunk, [&] { return new_enum(); });
}

}  // namespace brindle
