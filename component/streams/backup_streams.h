// The walk over a file's backup data: a run of stream headers (the platform's WIN32_STREAM_ID,
// 20 bytes little-endian, then the UTF-16 name), each followed by the stream's contents, which
// the walk seeks over without reading. Pure C++: the bytes come from a backup_reader, so the
// walk runs the same over the platform's backup calls and over data a test builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::streams {

// Size of the fixed part of a stream header.
constexpr std::size_t stream_header_size = 20;
// Longest name the walk reads. Real names fit in 524 bytes (a colon, 255 characters and
// ":$DATA"); a header that claims more than this is corrupt, and the walk ends there as it does
// at a short header.
constexpr std::uint32_t max_stream_name_size = 64 * 1024;

// Stream types of the header (dwStreamId).
enum : std::uint32_t {
    backup_invalid = 0,
    backup_data = 1,
    backup_ea_data = 2,
    backup_security_data = 3,
    backup_alternate_data = 4,
    backup_link = 5,
    backup_property_data = 6,
    backup_object_id = 7,
    backup_reparse_data = 8,
    backup_sparse_block = 9,
};

// Attribute bits of the header (dwStreamAttributes).
enum : std::uint32_t {
    stream_modified_when_read = 0x1,
    stream_contains_security = 0x2,
    stream_contains_properties = 0x4,
    stream_sparse_attribute = 0x8,
};

// Where the walk gets its bytes.
class backup_reader {
public:
    virtual ~backup_reader() = default;
    // Reads up to `size` bytes of the backup data; the number of bytes got (0 at the end), or
    // nothing when the read fails.
    virtual std::optional<std::size_t> read(void* buffer, std::size_t size) = 0;
    // Moves forward over up to `distance` bytes of the current stream's contents; the distance
    // moved (the platform stops at the end of the stream), or nothing when the seek fails.
    virtual std::optional<std::uint64_t> seek(std::uint64_t distance) = 0;
};

// One header as the walk found it.
struct stream_record {
    std::uint32_t id = 0;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint32_t name_size = 0;  // as the header gives it, in bytes
    std::u16string name;          // name_size / 2 code units; an odd last byte is dropped
};

// Walks the backup data from its current position and calls `each` once per stream, in the
// order of the data. The walk ends normally at the end of the data, at a short or failed read
// of a header or name, at a name longer than max_stream_name_size, and at a seek over a
// stream's contents that fails or moves nothing (corrupt sizes never loop). An exception from
// `each` leaves the walk unchanged.
void walk_backup_streams(backup_reader& reader, const std::function<void(const stream_record&)>& each);

// The Name of a stream: its own name when it has one, "::$DATA" for the unnamed main data
// stream, otherwise empty.
std::u16string stream_display_name(const stream_record& record);

// The part of a name between its first colon and the next one (":Zone.Identifier:$DATA" gives
// "Zone.Identifier", "::$DATA" gives ""); a name without a colon is returned as it is.
std::u16string_view stream_short_name(std::u16string_view name) noexcept;

}  // namespace brindle::streams
