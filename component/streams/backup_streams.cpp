#include "component/streams/backup_streams.h"

#include <vector>

namespace brindle::streams {
namespace {

// Fills the whole buffer, asking again after a partial read. False at the end of the data or on
// a failed read: either way the walk has nothing more it can trust.
bool read_exactly(backup_reader& reader, unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        std::optional<std::size_t> got = reader.read(buffer + done, size - done);
        if (!got || *got == 0 || *got > size - done) return false;
        done += *got;
    }
    return true;
}

std::uint32_t le32(const unsigned char* p) noexcept {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Seeks over a stream's contents. The platform stops a seek at the end of the current stream,
// so moving less than asked is normal when a size overstates the contents; moving nothing over
// contents that should be there means the walk would read contents as headers.
bool skip_contents(backup_reader& reader, std::uint64_t size) {
    if (size == 0) return true;
    std::optional<std::uint64_t> moved = reader.seek(size);
    return moved && *moved > 0;
}

}  // namespace

void walk_backup_streams(backup_reader& reader, const std::function<void(const stream_record&)>& each) {
    std::vector<unsigned char> name_bytes;
    for (;;) {
        unsigned char header[stream_header_size] = {};
        if (!read_exactly(reader, header, sizeof header)) return;

        stream_record record;
        record.id = le32(header);
        record.attributes = le32(header + 4);
        record.size = std::uint64_t(le32(header + 8)) | std::uint64_t(le32(header + 12)) << 32;
        record.name_size = le32(header + 16);
        if (record.name_size > max_stream_name_size) return;

        // The name is read at its real size, so a long name comes back whole and a short one
        // carries nothing of an earlier, longer one.
        name_bytes.assign(record.name_size, 0);
        if (!read_exactly(reader, name_bytes.data(), name_bytes.size())) return;
        record.name.resize(record.name_size / 2);
        for (std::size_t i = 0; i < record.name.size(); ++i)
            record.name[i] = char16_t(name_bytes[2 * i] | name_bytes[2 * i + 1] << 8);

        each(record);
        if (!skip_contents(reader, record.size)) return;
    }
}

std::u16string stream_display_name(const stream_record& record) {
    if (record.name_size != 0) return record.name;
    if (record.id == backup_data) return u"::$DATA";
    return {};
}

std::u16string_view stream_short_name(std::u16string_view name) noexcept {
    std::size_t colon = name.find(u':');
    if (colon == std::u16string_view::npos) return name;
    std::u16string_view rest = name.substr(colon + 1);
    return rest.substr(0, rest.find(u':'));
}

}  // namespace brindle::streams
