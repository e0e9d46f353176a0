// The entries of one description file: names with their descriptions in entry order, at most
// one entry per name compared without regard to case (READ.ME and read.me are one entry).
//
// Names and descriptions are kept side by side in one sequence, so the name list and the
// description list can never drift apart. Every entry gets a sequence number when it joins: the
// entry at position p has number first + p, so removing at either end renumbers nothing, and
// removing in the middle (which moves the later entries anyway) counts the later numbers down. An
// open-addressing hash of the upper-cased names maps a name to its number. Reading a file of n
// entries is O(n) with a constant number of allocations and small per entry: the entries of a
// file point into its text, which the list keeps (add_kept); a file in a single-byte code page
// stays in its bytes, half the memory of UTF-16; entries added one by one own their text.
// Removing at either end is O(1), in the middle O(n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brindle::descriptions {

// The UTF-16 text of every byte of a single-byte code page, and its upper case: what the bytes
// of a file in that code page read as, one character each.
struct byte_table {
    wchar_t text[256];
    wchar_t folded[256];
};

// A borrowed piece of text: UTF-16, ASCII still in its bytes, or the bytes of a single-byte code
// page (one character each, read through the table given to text_ref::use_byte_table).
class text_ref {
public:
    text_ref() = default;
    text_ref(std::wstring_view text) noexcept : text_ref(text.data(), text.size(), wide_text) {}
    text_ref(std::string_view ascii) noexcept : text_ref(ascii.data(), ascii.size(), ascii_text) {}
    // Bytes read through the byte table.
    static text_ref bytes(std::string_view text) noexcept { return text_ref(text.data(), text.size(), table_text); }
    // The table every text_ref::bytes text reads through: one per process, set before such a text
    // is made (the code page a file is read in does not change while the process runs).
    static void use_byte_table(const byte_table* table) noexcept;

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // The text as UTF-16, in `buffer` when it has to be converted.
    std::wstring_view wide(std::wstring& buffer) const;
    bool is_ascii() const noexcept;
    // Whether the text is kept in bytes (ASCII or a code page's): ascii() gives them as they are.
    bool in_bytes() const noexcept { return kind_ != wide_text; }
    // The bytes of an is_ascii() or in_bytes() text, in `buffer` when it has to be narrowed.
    std::string_view ascii(std::string& buffer) const;
    void copy_to(wchar_t* out) const noexcept;
    // The text upper-cased as names compare, into `out`.
    void fold_to(std::wstring& out) const;
    // The hash of the upper-cased text (never 0); `scratch` may be used on the way.
    std::uint32_t folded_hash(std::wstring& scratch) const;

private:
    friend class description_list;  // tells owned texts apart by where they are
    enum kind : std::uint32_t { wide_text, ascii_text, table_text };
    text_ref(const void* data, std::size_t size, kind k) noexcept
        : data_(data), size_(static_cast<std::uint32_t>(size)), kind_(k) {}
    const wchar_t* wide_data() const noexcept { return static_cast<const wchar_t*>(data_); }
    const unsigned char* byte_data() const noexcept { return static_cast<const unsigned char*>(data_); }

    // Compact, as a list holds two of them per entry: texts are shorter than 4 Gi characters.
    const void* data_ = nullptr;
    std::uint32_t size_ = 0;
    kind kind_ = wide_text;
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
    // The entry at a zero-based position; nullptr outside 0 .. size() - 1. Valid until the list
    // changes.
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
    bool add_kept(std::string_view name, std::string_view description);  // ASCII
    bool add_kept(text_ref name, text_ref description);
    // Sets the description of a name: an existing entry of that name is removed, and the new
    // entry, under the name as given here, always ends up last.
    void assign(std::wstring_view name, std::wstring_view description);
    bool remove_at(long long position);
    bool remove(std::wstring_view name);
    void clear() noexcept;
    // Makes room for this many entries in all, so that reading a file grows nothing on the way.
    void reserve(std::size_t entries);

private:
    struct bucket {
        std::uint32_t hash = 0;    // never 0 in a used bucket (folded hashes of 0 count as 1)
        std::uint32_t number = 0;  // the entry's sequence number
    };

    bool same_name(const text_ref& a, const text_ref& b) const;
    std::size_t position_of(const bucket& b) const noexcept { return static_cast<std::uint32_t>(b.number - first_); }
    // The bucket holding the name, or the empty bucket where it would go.
    std::size_t probe(const text_ref& name, std::uint32_t hash) const;
    // The bucket of the entry at a position.
    std::size_t bucket_of(std::size_t position) const;
    void make_room();
    void rehash(std::size_t size);
    bool insert(const entry& value, std::unique_ptr<wchar_t[]> owned);
    // Appends the entry, taking over its text if it owns one; a failure leaves the list as it was.
    void push_back(const entry& value, std::unique_ptr<wchar_t[]> owned);
    std::uint32_t last_number() const noexcept { return first_ + static_cast<std::uint32_t>(entries_.size() - 1); }
    void unindex(std::size_t bucket_index) noexcept;
    // Takes the entry at a position out of the sequence (its bucket is gone already).
    void erase(std::size_t position) noexcept;

    std::deque<entry> entries_;
    std::uint32_t first_ = 0;  // the sequence number of the entry at position 0
    // The text of each entry added with a copy, by the address of its name.
    std::unordered_map<const void*, std::unique_ptr<wchar_t[]>> owned_;
    std::deque<std::wstring> texts_;  // a deque never moves its strings, so views stay valid
    std::deque<std::string> ascii_texts_;
    std::vector<bucket> table_;       // a power of two in size, at most four fifths full
    mutable std::wstring fold_a_, fold_b_;  // scratch for case folding, kept to avoid allocations
};

}  // namespace brindle::descriptions
