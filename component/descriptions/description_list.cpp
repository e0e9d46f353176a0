#include "component/descriptions/description_list.h"

#include <windows.h>

#include <algorithm>

namespace brindle::descriptions {

std::wstring fold_name(std::wstring_view name) {
    std::wstring folded(name);
    if (!folded.empty()) CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

std::size_t description_list::position_of(unsigned long long order) const noexcept {
    auto found = std::lower_bound(entries_.begin(), entries_.end(), order,
                                  [](const slot& s, unsigned long long o) { return s.order < o; });
    return static_cast<std::size_t>(found - entries_.begin());
}

const description_list::entry* description_list::at(long long position) const noexcept {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(position)].value;
}

const description_list::entry* description_list::find(std::wstring_view name) const {
    auto found = orders_.find(fold_name(name));
    if (found == orders_.end()) return nullptr;
    return &entries_[position_of(found->second)].value;
}

bool description_list::add_new(std::wstring_view name, std::wstring_view description) {
    return add_folded(fold_name(name), name, description);
}

bool description_list::add_folded(std::wstring folded, std::wstring_view name, std::wstring_view description) {
    auto [key, added] = orders_.emplace(std::move(folded), next_order_);
    if (!added) return false;
    try {
        entries_.push_back(slot{entry{std::wstring(name), std::wstring(description)}, next_order_});
    } catch (...) {
        orders_.erase(key);
        throw;
    }
    ++next_order_;
    return true;
}

void description_list::assign(std::wstring_view name, std::wstring_view description) {
    std::wstring folded = fold_name(name);
    auto found = orders_.find(folded);
    if (found == orders_.end()) {
        add_folded(std::move(folded), name, description);
        return;
    }
    // The new entry joins before the old one goes, so a failure leaves the list as it was.
    const unsigned long long old = found->second;
    entries_.push_back(slot{entry{std::wstring(name), std::wstring(description)}, next_order_});
    found->second = next_order_++;
    erase_at(position_of(old));
}

void description_list::erase_at(std::size_t position) noexcept {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
}

bool description_list::remove_at(long long position) {
    if (position < 0 || position >= static_cast<long long>(entries_.size())) return false;
    const std::size_t at = static_cast<std::size_t>(position);
    orders_.erase(fold_name(entries_[at].value.name));
    erase_at(at);
    return true;
}

bool description_list::remove(std::wstring_view name) {
    auto found = orders_.find(fold_name(name));
    if (found == orders_.end()) return false;
    const std::size_t at = position_of(found->second);
    orders_.erase(found);
    erase_at(at);
    return true;
}

void description_list::clear() noexcept {
    entries_.clear();
    orders_.clear();
    next_order_ = 0;
}

}  // namespace brindle::descriptions
