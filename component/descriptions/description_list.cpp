#include "component/descriptions/description_list.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/upper_case.h"
#include "component/files/text_lines.h"

namespace brindle::descriptions {
namespace {

// Upper-cases a name into `out`.
const std::wstring& fold(text_ref name, std::wstring& out) {
    out.resize(name.size());
    name.copy_to(out.data());
    tavrin::fold_upper_case(out.data(), out.size());
    return out;
}

}  // namespace

std::wstring_view text_ref::wide(std::wstring& buffer) const {
    if (wide_ || size_ == 0) return {wide_ ? wide_ : L"", size_};
    buffer.resize(size_);
    copy_to(buffer.data());
    return buffer;
}

bool text_ref::is_ascii() const noexcept {
    return ascii_ || text::is_ascii(std::wstring_view(wide_ ? wide_ : L"", size_));
}

std::string_view text_ref::ascii(std::string& buffer) const {
    if (ascii_ || size_ == 0) return {ascii_ ? ascii_ : "", size_};
    buffer.resize(size_);
    for (std::size_t i = 0; i < size_; ++i) buffer[i] = static_cast<char>(wide_[i]);
    return buffer;
}

void text_ref::copy_to(wchar_t* out) const noexcept {
    if (wide_) {
        std::memcpy(out, wide_, size_ * sizeof(wchar_t));
    } else {
        for (std::size_t i = 0; i < size_; ++i) out[i] = static_cast<unsigned char>(ascii_[i]);
    }
}

std::size_t description_list::hash_of(text_ref name) const {
    // FNV-1a over the upper-cased units; ASCII is folded on the way, other text first.
    std::size_t h = static_cast<std::size_t>(2166136261u);
    auto add = [&h](wchar_t c) { h = (h ^ static_cast<std::size_t>(c)) * static_cast<std::size_t>(16777619u); };
    if (name.is_ascii()) {
        for (std::size_t i = 0; i < name.size(); ++i) {
            wchar_t c = name[i];
            add(c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c);
        }
    } else {
        for (wchar_t c : fold(name, fold_a_)) add(c);
    }
    return h;
}

bool description_list::same_name(text_ref a, text_ref b) const {
    return a.size() == b.size() && fold(a, fold_a_) == fold(b, fold_b_);
}

std::size_t description_list::position_of(unsigned long long order) const noexcept {
    auto found = std::lower_bound(entries_.begin(), entries_.end(), order,
                                  [](const slot& s, unsigned long long o) { return s.order < o; });
    return static_cast<std::size_t>(found - entries_.begin());
}

std::size_t description_list::probe(text_ref name, std::size_t hash) const {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const bucket& b = table_[i];
        if (b.order == no_order) return i;
        if (b.hash == hash && same_name(entries_[position_of(b.order)].value.name, name)) return i;
    }
}

std::size_t description_list::probe_order(const slot& s) const noexcept {
    const std::size_t mask = table_.size() - 1;
    std::size_t i = s.hash & mask;
    while (table_[i].order != s.order) i = (i + 1) & mask;
    return i;
}

void description_list::reserve(std::size_t entries) {
    std::size_t size = table_.empty() ? 16 : table_.size();
    while (size < entries * 2) size *= 2;
    if (size > table_.size()) rehash(size);
}

void description_list::make_room() {
    if (!table_.empty() && (indexed_ + 1) * 2 <= table_.size()) return;
    rehash(table_.empty() ? 16 : table_.size() * 2);
}

void description_list::rehash(std::size_t size) {
    std::vector<bucket> bigger(size);
    const std::size_t mask = bigger.size() - 1;
    for (const bucket& b : table_) {
        if (b.order == no_order) continue;
        std::size_t i = b.hash & mask;
        while (bigger[i].order != no_order) i = (i + 1) & mask;
        bigger[i] = b;
    }
    table_.swap(bigger);
}

bool description_list::insert(slot&& s) {
    make_room();
    s.hash = hash_of(s.value.name);
    const std::size_t i = probe(s.value.name, s.hash);
    if (table_[i].order != no_order) return false;
    s.order = next_order_;
    entries_.push_back(std::move(s));
    table_[i] = bucket{entries_.back().hash, next_order_++};
    ++indexed_;
    return true;
}

// Backward-shift deletion keeps every probe sequence unbroken without tombstones.
void description_list::unindex(std::size_t i) noexcept {
    const std::size_t mask = table_.size() - 1;
    for (std::size_t j = (i + 1) & mask; table_[j].order != no_order; j = (j + 1) & mask) {
        const std::size_t home = table_[j].hash & mask;
        const bool stays = (i <= j) ? (i < home && home <= j) : (i < home || home <= j);
        if (stays) continue;
        table_[i] = table_[j];
        i = j;
    }
    table_[i] = bucket{};
    --indexed_;
}

const description_list::entry* description_list::at(long long position) const noexcept {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(position)].value;
}

const description_list::entry* description_list::find(std::wstring_view name) const {
    if (table_.empty()) return nullptr;
    const bucket& b = table_[probe(name, hash_of(name))];
    return b.order == no_order ? nullptr : &entries_[position_of(b.order)].value;
}

namespace {

// One allocation holding both texts of an entry.
std::unique_ptr<wchar_t[]> copy_of(std::wstring_view name, std::wstring_view description) {
    std::unique_ptr<wchar_t[]> text(new wchar_t[name.size() + description.size() + 1]);
    std::memcpy(text.get(), name.data(), name.size() * sizeof(wchar_t));
    std::memcpy(text.get() + name.size(), description.data(), description.size() * sizeof(wchar_t));
    return text;
}

}  // namespace

bool description_list::add_new(std::wstring_view name, std::wstring_view description) {
    std::unique_ptr<wchar_t[]> text = copy_of(name, description);
    entry value{std::wstring_view(text.get(), name.size()), std::wstring_view(text.get() + name.size(), description.size())};
    return insert(slot{value, std::move(text), 0, 0});
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
    return insert(slot{entry{name, description}, nullptr, 0, 0});
}

bool description_list::add_kept(std::string_view name, std::string_view description) {
    return insert(slot{entry{name, description}, nullptr, 0, 0});
}

void description_list::assign(std::wstring_view name, std::wstring_view description) {
    make_room();
    const std::size_t hash = hash_of(name);
    const std::size_t i = probe(name, hash);
    if (table_[i].order == no_order) {
        add_new(name, description);
        return;
    }
    // The new entry joins before the old one goes, so a failure leaves the list as it was.
    std::unique_ptr<wchar_t[]> text = copy_of(name, description);
    entry value{std::wstring_view(text.get(), name.size()), std::wstring_view(text.get() + name.size(), description.size())};
    const unsigned long long old = table_[i].order;
    entries_.push_back(slot{value, std::move(text), next_order_, hash});
    table_[i].order = next_order_++;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position_of(old)));
}

bool description_list::remove_at(long long position) {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return false;
    const auto at = entries_.begin() + static_cast<std::ptrdiff_t>(position);
    unindex(probe_order(*at));
    entries_.erase(at);
    return true;
}

bool description_list::remove(std::wstring_view name) {
    if (table_.empty()) return false;
    const std::size_t i = probe(name, hash_of(name));
    if (table_[i].order == no_order) return false;
    const std::size_t position = position_of(table_[i].order);
    unindex(i);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
}

void description_list::clear() noexcept {
    entries_.clear();
    texts_.clear();
    ascii_texts_.clear();
    table_.clear();
    table_.shrink_to_fit();
    indexed_ = 0;
    next_order_ = 0;
}

}  // namespace brindle::descriptions
