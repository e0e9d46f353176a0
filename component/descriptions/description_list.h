// The entries of one description file: names with their descriptions in entry order, at most
// one entry per name compared without regard to case (READ.ME and read.me are one entry).
//
// Names and descriptions are kept side by side in one sequence, so the name list and the
// description list can never drift apart. A hash of the upper-cased names finds an entry
// without a scan; because entries only ever join at the end, the sequence is ordered by the
// number each entry got on joining, and a name's position is found by binary search. Reading a
// file of n entries is O(n); removing at either end is O(1), in the middle O(n) moves.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brindle::descriptions {

class description_list {
public:
    struct entry {
        std::wstring name;
        std::wstring description;
    };

    std::size_t size() const noexcept { return entries_.size(); }
    // The entry at a zero-based position; nullptr outside 0 .. size() - 1.
    const entry* at(long long position) const noexcept;
    // The entry of a name, compared without regard to case; nullptr when there is none.
    const entry* find(std::wstring_view name) const;

    // Adds an entry at the end unless the name has one already (then nothing changes and the
    // result is false): the first line of a name in a file wins.
    bool add_new(std::wstring_view name, std::wstring_view description);
    // Sets the description of a name: an existing entry of that name is removed first, so the
    // entry always ends up last, under the name as given here.
    void assign(std::wstring_view name, std::wstring_view description);
    bool remove_at(long long position);
    bool remove(std::wstring_view name);
    void clear() noexcept;

private:
    struct slot {
        entry value;
        unsigned long long order;
    };
    bool add_folded(std::wstring folded, std::wstring_view name, std::wstring_view description);
    std::size_t position_of(unsigned long long order) const noexcept;
    void erase_at(std::size_t position) noexcept;

    std::deque<slot> entries_;
    std::unordered_map<std::wstring, unsigned long long> orders_;  // upper-cased name -> order
    unsigned long long next_order_ = 0;
};

// The upper-cased form under which names are compared.
std::wstring fold_name(std::wstring_view name);

}  // namespace brindle::descriptions
