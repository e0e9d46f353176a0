#include "component/descriptions/description_list.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

#include "common/upper_case.h"
#include "component/files/text_lines.h"

namespace brindle::descriptions {
namespace {

std::atomic<const byte_table*> the_byte_table{nullptr};

const byte_table& table() noexcept { return *the_byte_table.load(std::memory_order_acquire); }

// FNV-1a over the upper-cased UTF-16 units.
struct folded_hasher {
    std::uint32_t h = 2166136261u;
    void add(wchar_t c) noexcept { h = (h ^ static_cast<std::uint32_t>(c)) * 16777619u; }
    void add_ascii(wchar_t c) noexcept { add(c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c); }
    // 0 marks an empty bucket of the index.
    std::uint32_t value() const noexcept { return h ? h : 1; }
};

// Texts shorter than 4 Gi characters (always so where sizes have 32 bits).
bool fits(std::size_t size) noexcept { return (size >> 16 >> 16) == 0; }

// An entry with a copy of its texts, both in one allocation.
struct owned_entry {
    std::unique_ptr<wchar_t[]> text;
    description_list::entry value;
};

owned_entry copy_of(std::wstring_view name, std::wstring_view description) {
    if (!fits(name.size()) || !fits(description.size())) throw std::length_error("description text");
    std::unique_ptr<wchar_t[]> text(new wchar_t[name.size() + description.size() + 1]);
    std::memcpy(text.get(), name.data(), name.size() * sizeof(wchar_t));
    std::memcpy(text.get() + name.size(), description.data(), description.size() * sizeof(wchar_t));
    const description_list::entry value{std::wstring_view(text.get(), name.size()),
                                        std::wstring_view(text.get() + name.size(), description.size())};
    return owned_entry{std::move(text), value};
}

}  // namespace

void text_ref::use_byte_table(const byte_table* t) noexcept { the_byte_table.store(t, std::memory_order_release); }

std::wstring_view text_ref::wide(std::wstring& buffer) const {
    if (kind_ == wide_text || size_ == 0) return {size_ ? wide_data() : L"", size_};
    buffer.resize(size_);
    copy_to(buffer.data());
    return buffer;
}

bool text_ref::is_ascii() const noexcept {
    if (size_ == 0 || kind_ == ascii_text) return true;
    if (kind_ == table_text) return text::is_ascii(std::string_view(static_cast<const char*>(data_), size_));
    return text::is_ascii(std::wstring_view(wide_data(), size_));
}

std::string_view text_ref::ascii(std::string& buffer) const {
    if (size_ == 0) return {};
    if (kind_ != wide_text) return {static_cast<const char*>(data_), size_};
    buffer.resize(size_);
    for (std::size_t i = 0; i < size_; ++i) buffer[i] = static_cast<char>(wide_data()[i]);
    return buffer;
}

void text_ref::copy_to(wchar_t* out) const noexcept {
    if (size_ == 0) return;
    if (kind_ == wide_text) {
        std::memcpy(out, wide_data(), size_ * sizeof(wchar_t));
    } else if (kind_ == ascii_text) {
        for (std::size_t i = 0; i < size_; ++i) out[i] = byte_data()[i];
    } else {
        const wchar_t* text = table().text;
        for (std::size_t i = 0; i < size_; ++i) out[i] = text[byte_data()[i]];
    }
}

void text_ref::fold_to(std::wstring& out) const {
    out.resize(size_);
    if (kind_ == table_text) {
        const wchar_t* folded = table().folded;
        for (std::size_t i = 0; i < size_; ++i) out[i] = folded[byte_data()[i]];
        return;
    }
    copy_to(out.data());
    tavrin::fold_upper_case(out.data(), out.size());
}

std::uint32_t text_ref::folded_hash(std::wstring& scratch) const {
    folded_hasher hash;
    if (kind_ == table_text) {
        const wchar_t* folded = table().folded;
        for (std::size_t i = 0; i < size_; ++i) hash.add(folded[byte_data()[i]]);
    } else if (kind_ == ascii_text) {
        for (std::size_t i = 0; i < size_; ++i) hash.add_ascii(byte_data()[i]);
    } else if (is_ascii()) {
        for (std::size_t i = 0; i < size_; ++i) hash.add_ascii(wide_data()[i]);
    } else {
        fold_to(scratch);
        for (wchar_t c : scratch) hash.add(c);
    }
    return hash.value();
}

// ---- the list ------------------------------------------------------------------------------

bool description_list::same_name(const text_ref& a, const text_ref& b) const {
    if (a.size() != b.size()) return false;
    a.fold_to(fold_a_);
    b.fold_to(fold_b_);
    return fold_a_ == fold_b_;
}

std::size_t description_list::probe(const text_ref& name, std::uint32_t hash) const {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const bucket& b = table_[i];
        if (b.hash == 0) return i;
        if (b.hash == hash && same_name(entries_[position_of(b)].name, name)) return i;
    }
}

std::size_t description_list::bucket_of(std::size_t position) const {
    const std::uint32_t number = first_ + static_cast<std::uint32_t>(position);
    const std::size_t mask = table_.size() - 1;
    std::size_t i = entries_[position].name.folded_hash(fold_a_) & mask;
    while (table_[i].hash == 0 || table_[i].number != number) i = (i + 1) & mask;
    return i;
}

namespace {

// At most four fifths of the buckets are used: a table of a large file is half the size it
// would be at one half, and a probe still ends within a few buckets of one cache line.
bool room_for(std::size_t entries, std::size_t buckets) noexcept { return entries / 4 * 5 + (entries % 4 * 5 + 3) / 4 <= buckets; }

}  // namespace

void description_list::reserve(std::size_t entries) {
    std::size_t size = table_.empty() ? 16 : table_.size();
    while (!room_for(entries, size)) size *= 2;
    if (size > table_.size()) rehash(size);
}

void description_list::make_room() {
    if (!table_.empty() && room_for(entries_.size() + 1, table_.size())) return;
    rehash(table_.empty() ? 16 : table_.size() * 2);
}

void description_list::rehash(std::size_t size) {
    std::vector<bucket> bigger(size);
    const std::size_t mask = bigger.size() - 1;
    for (const bucket& b : table_) {
        if (b.hash == 0) continue;
        std::size_t i = b.hash & mask;
        while (bigger[i].hash != 0) i = (i + 1) & mask;
        bigger[i] = b;
    }
    table_.swap(bigger);
}

bool description_list::insert(const entry& value, std::unique_ptr<wchar_t[]> owned) {
    make_room();
    const std::uint32_t hash = value.name.folded_hash(fold_a_);
    const std::size_t i = probe(value.name, hash);
    if (table_[i].hash != 0) return false;
    push_back(value, std::move(owned));
    table_[i] = bucket{hash, last_number()};
    return true;
}

void description_list::push_back(const entry& value, std::unique_ptr<wchar_t[]> owned) {
    entries_.push_back(value);
    if (!owned) return;
    try {
        owned_.emplace(owned.get(), std::move(owned));
    } catch (...) {
        entries_.pop_back();
        throw;
    }
}

// Backward-shift deletion keeps every probe sequence unbroken without tombstones.
void description_list::unindex(std::size_t i) noexcept {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t j = (i + 1) & mask; table_[j].hash != 0; j = (j + 1) & mask) {
        const std::size_t home = table_[j].hash & mask;
        const bool stays = (i <= j) ? (i < home && home <= j) : (i < home || home <= j);
        if (stays) continue;
        table_[i] = table_[j];
        i = j;
    }
    table_[i] = bucket{};
}

void description_list::erase(std::size_t position) noexcept {
    if (!owned_.empty()) owned_.erase(entries_[position].name.data_);
    if (position == 0) {
        entries_.pop_front();
        ++first_;
        return;
    }
    const bool last = position + 1 == entries_.size();
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    if (last) return;
    // The later entries moved one place to the front: so do their numbers.
    for (bucket& b : table_)
        if (b.hash != 0 && position_of(b) > position) --b.number;
}

const description_list::entry* description_list::at(long long position) const noexcept {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(position)];
}

const description_list::entry* description_list::find(std::wstring_view name) const {
    if (table_.empty()) return nullptr;
    const text_ref key(name);
    const bucket& b = table_[probe(key, key.folded_hash(fold_b_))];
    return b.hash == 0 ? nullptr : &entries_[position_of(b)];
}

bool description_list::add_new(std::wstring_view name, std::wstring_view description) {
    owned_entry copy = copy_of(name, description);
    return insert(copy.value, std::move(copy.text));
}

std::wstring_view description_list::keep(std::wstring text) {
    texts_.push_back(std::move(text));
    return texts_.back();
}

std::string_view description_list::keep(std::string text) {
    ascii_texts_.push_back(std::move(text));
    return ascii_texts_.back();
}

bool description_list::add_kept(std::wstring_view name, std::wstring_view description) {
    return insert(entry{name, description}, nullptr);
}

bool description_list::add_kept(std::string_view name, std::string_view description) {
    return insert(entry{name, description}, nullptr);
}

bool description_list::add_kept(text_ref name, text_ref description) { return insert(entry{name, description}, nullptr); }

void description_list::assign(std::wstring_view name, std::wstring_view description) {
    make_room();
    const text_ref key(name);
    const std::uint32_t hash = key.folded_hash(fold_b_);
    const std::size_t i = probe(key, hash);
    const bool replaces = table_[i].hash != 0;
    const std::size_t old = replaces ? position_of(table_[i]) : 0;
    // The new entry joins before the old one goes, so a failure leaves the list as it was.
    owned_entry copy = copy_of(name, description);
    push_back(copy.value, std::move(copy.text));
    table_[i] = bucket{hash, last_number()};
    if (replaces) erase(old);
}

bool description_list::remove_at(long long position) {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return false;
    const auto at = static_cast<std::size_t>(position);
    unindex(bucket_of(at));
    erase(at);
    return true;
}

bool description_list::remove(std::wstring_view name) {
    if (table_.empty()) return false;
    const text_ref key(name);
    const std::size_t i = probe(key, key.folded_hash(fold_b_));
    if (table_[i].hash == 0) return false;
    const std::size_t position = position_of(table_[i]);
    unindex(i);
    erase(position);
    return true;
}

void description_list::clear() noexcept {
    entries_.clear();
    owned_.clear();
    texts_.clear();
    ascii_texts_.clear();
    table_.clear();
    table_.shrink_to_fit();
    first_ = 0;
}

}  // namespace brindle::descriptions
