// The entries of one description file: names with their descriptions in entry order, at most
// one entry per name compared without regard to case (READ.ME and read.me are one entry).
//
// Names and descriptions are kept side by side in one sequence, so the name list and the
// description list can never drift apart. Entries only ever join at the end, so the sequence is
// ordered by the number each entry got on joining; an open-addressing hash of the upper-cased
// names maps a name to that number, and binary search turns it into a position. Reading a file
// of n entries is O(n) with a constant number of allocations: the entries of a file point into
// its text, which the list keeps (add_kept), and an ASCII file stays in its bytes, half the
// memory of UTF-16; entries added one by one own their text. Removing at either end is O(1), in
// the middle O(n) moves.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::descriptions {

// A borrowed piece of text: UTF-16, or ASCII still in its bytes.
class text_ref {
public:
    text_ref() = default;
    text_ref(std::wstring_view text) noexcept : wide_(text.data()), size_(text.size()) {}
    text_ref(std::string_view ascii) noexcept : ascii_(ascii.data()), size_(ascii.size()) {}
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // The text as UTF-16, in `buffer` when it has to be widened.
    std::wstring_view wide(std::wstring& buffer) const;
    wchar_t operator[](std::size_t i) const noexcept {
        return wide_ ? wide_[i] : static_cast<wchar_t>(static_cast<unsigned char>(ascii_[i]));
    }
    bool is_ascii() const noexcept;
    // The text of an is_ascii() text as bytes, in `buffer` when it has to be narrowed.
    std::string_view ascii(std::string& buffer) const;
    void copy_to(wchar_t* out) const noexcept;

private:
    const wchar_t* wide_ = nullptr;
    const char* ascii_ = nullptr;
    std::size_t size_ = 0;
};

class description_list {
public:
    struct entry {
        text_ref name;
        text_ref description;
    };

    description_list() = default;
    description_list(const description_list&) = delete;
    description_list& operator=(const description_list&) = delete;

    std::size_t size() const noexcept { return entries_.size(); }
    // The entry at a zero-based position; nullptr outside 0 .. size() - 1. Valid until the
    // entry is removed or the list cleared.
    const entry* at(long long position) const noexcept;
    // The entry of a name, compared without regard to case; nullptr when there is none.
    const entry* find(std::wstring_view name) const;

    // Adds an entry (copying its text) at the end unless the name has one already; then nothing
    // changes and the result is false: the first line of a name in a file wins.
    bool add_new(std::wstring_view name, std::wstring_view description);
    // Keeps a text for the life of the list (until clear) and gives a view of it that add_kept
    // entries may point into without a copy.
    std::wstring_view keep(std::wstring text);
    std::string_view keep(std::string text);
    bool add_kept(std::wstring_view name, std::wstring_view description);
    bool add_kept(std::string_view name, std::string_view description);
    // Sets the description of a name: an existing entry of that name is removed, and the new
    // entry, under the name as given here, always ends up last.
    void assign(std::wstring_view name, std::wstring_view description);
    bool remove_at(long long position);
    bool remove(std::wstring_view name);
    void clear() noexcept;
    // Makes room for this many entries in all, so that reading a file grows nothing on the way.
    void reserve(std::size_t entries);

private:
    struct slot {
        entry value;
        std::unique_ptr<wchar_t[]> owned;  // the text of an entry added with a copy
        unsigned long long order;
        std::size_t hash;
    };
    struct bucket {
        std::size_t hash = 0;
        unsigned long long order = no_order;
    };
    static constexpr unsigned long long no_order = ~0ull;

    std::size_t hash_of(text_ref name) const;
    bool same_name(text_ref a, text_ref b) const;
    std::size_t position_of(unsigned long long order) const noexcept;
    // The bucket holding the name, or the empty bucket where it would go.
    std::size_t probe(text_ref name, std::size_t hash) const;
    std::size_t probe_order(const slot& s) const noexcept;
    void make_room();
    void rehash(std::size_t size);
    bool insert(slot&& s);
    void unindex(std::size_t bucket_index) noexcept;

    std::deque<slot> entries_;
    std::deque<std::wstring> texts_;  // a deque never moves its strings, so views stay valid
    std::deque<std::string> ascii_texts_;
    std::vector<bucket> table_;       // a power of two in size, at most half full
    std::size_t indexed_ = 0;
    unsigned long long next_order_ = 0;
    mutable std::wstring fold_a_, fold_b_;  // scratch for case folding, kept to avoid allocations
};

}  // namespace brindle::descriptions
