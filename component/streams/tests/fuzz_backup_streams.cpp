// The backup walk fuzzed: over any bytes, however the reads are cut, it finds the same streams,
// each header and name inside the bytes (so never more than it was given), each name read whole.
#include "component/streams/backup_streams.h"
#include "tests/support/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using tavrin::fuzz::check;

using namespace brindle::streams;

namespace {

// Hands out the bytes in order, at most `piece` at a time; a seek moves over what is left.
class byte_reader : public backup_reader {
public:
    byte_reader(const std::uint8_t* data, std::size_t size, std::size_t piece) : data_(data), size_(size), piece_(piece) {}
    std::optional<std::size_t> read(void* buffer, std::size_t size) override {
        const std::size_t give = std::min({size, size_ - position, piece_});
        if (give) std::memcpy(buffer, data_ + position, give);
        position += give;
        return give;
    }
    std::optional<std::uint64_t> seek(std::uint64_t distance) override {
        const std::uint64_t moved = std::min<std::uint64_t>(distance, size_ - position);
        position += static_cast<std::size_t>(moved);
        return moved;
    }
    std::size_t position = 0;

private:
    const std::uint8_t* data_;
    std::size_t size_, piece_;
};

struct found {
    std::uint32_t id, attributes, name_size;
    std::uint64_t size;
    std::u16string name;
    bool operator==(const found& o) const {
        return id == o.id && attributes == o.attributes && name_size == o.name_size && size == o.size && name == o.name;
    }
};

std::vector<found> walk(const std::uint8_t* data, std::size_t size, std::size_t piece) {
    std::vector<found> out;
    byte_reader reader(data, size, piece);
    std::size_t headers = 0;
    walk_backup_streams(reader, [&](const stream_record& r) {
        headers += stream_header_size + r.name_size;
        check(headers <= reader.position && r.name_size <= max_stream_name_size && r.name.size() == r.name_size / 2);
        const std::u16string_view part = stream_short_name(r.name);
        check(part.data() >= r.name.data() && part.data() + part.size() <= r.name.data() + r.name.size());
        out.push_back({r.id, r.attributes, r.name_size, r.size, r.name});
    });
    check(reader.position <= size);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    check(walk(data + 1, size - 1, 1 + data[0] % 32) == walk(data + 1, size - 1, size));
    return 0;
}
