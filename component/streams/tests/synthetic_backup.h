// Backup data built byte by byte the way the platform lays it out (each stream: a 20-byte
// little-endian header, the UTF-16 name, the contents), and a reader over it that behaves like
// the platform's backup calls: reads hand out the bytes in order, a seek moves over the current
// stream's contents only and fails after stopping at their end. Faults can be put in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/streams/backup_streams.h"

namespace synthetic {

using Bytes = std::vector<unsigned char>;

inline Bytes utf16(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<unsigned char>(c & 0xFF));
        out.push_back(static_cast<unsigned char>(c >> 8));
    }
    return out;
}

inline Bytes text_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

class backup {
public:
    // A stream as the platform writes it: the header's size is that of the contents.
    backup& stream(std::uint32_t id, std::uint32_t attributes, std::u16string_view name, const Bytes& contents) {
        Bytes n = utf16(name);
        header(id, attributes, contents.size(), static_cast<std::uint32_t>(n.size()));
        add(n);
        return with_contents(contents);
    }
    // A header alone, every field as given (for corrupt data); name bytes and contents follow
    // with add() and with_contents().
    backup& header(std::uint32_t id, std::uint32_t attributes, std::uint64_t size, std::uint32_t name_size) {
        le32(id);
        le32(attributes);
        le32(static_cast<std::uint32_t>(size));
        le32(static_cast<std::uint32_t>(size >> 32));
        le32(name_size);
        return *this;
    }
    backup& add(const Bytes& bytes) {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    backup& with_contents(const Bytes& contents) {
        spans_.push_back({data_.size(), data_.size() + contents.size()});
        return add(contents);
    }
    // Cuts the data after `size` bytes (a short read somewhere).
    backup& cut(std::size_t size) {
        data_.resize(std::min(size, data_.size()));
        for (auto& s : spans_) s.end = std::min(s.end, data_.size());
        return *this;
    }

    const Bytes& data() const { return data_; }
    struct span { std::size_t begin, end; };
    const std::vector<span>& contents() const { return spans_; }

private:
    void le32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) data_.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
    Bytes data_;
    std::vector<span> spans_;
};

class reader : public brindle::streams::backup_reader {
public:
    explicit reader(const backup& b) : data_(b.data()), spans_(b.contents()) {}

    std::optional<std::size_t> read(void* buffer, std::size_t size) override {
        ++reads;
        largest_request = std::max(largest_request, size);
        if (reads == fail_read_number) return std::nullopt;
        std::size_t give = std::min({size, data_.size() - position, chunk});
        if (give) std::memcpy(buffer, data_.data() + position, give);
        position += give;
        bytes_read += give;
        return give;
    }
    std::optional<std::uint64_t> seek(std::uint64_t distance) override {
        ++seeks;
        if (seeks == fail_seek_number) return std::nullopt;
        std::uint64_t moved = 0;
        for (const auto& s : spans_)
            if (position >= s.begin && position < s.end) moved = std::min<std::uint64_t>(distance, s.end - position);
        position += static_cast<std::size_t>(moved);
        if (moved == 0) return std::nullopt;  // nothing of a stream's contents here
        return moved;
    }

    // Faults: the n-th read or seek fails (1 = the first; 0 = none); reads hand out at most
    // `chunk` bytes each.
    std::size_t fail_read_number = 0, fail_seek_number = 0;
    std::size_t chunk = std::numeric_limits<std::size_t>::max();

    std::size_t position = 0, reads = 0, seeks = 0, bytes_read = 0, largest_request = 0;

private:
    Bytes data_;
    std::vector<backup::span> spans_;
};

inline const Bytes zone_mark = text_bytes("[ZoneTransfer]\r\nZoneId=3\r\n");

inline Bytes security_descriptor() {
    // Self-relative, revision 1, control SE_SELF_RELATIVE | SE_DACL_PRESENT, owner at 20,
    // no group, no SACL, an empty DACL at 32.
    Bytes sd = {1, 0, 0x04, 0x80, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
                1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0,   // owner S-1-5-18
                2, 0, 8, 0, 0, 0, 0, 0};               // ACL revision 2, size 8, no entries
    return sd;
}

}  // namespace synthetic
