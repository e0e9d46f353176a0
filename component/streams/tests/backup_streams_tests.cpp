// The walk over backup data, on data built byte by byte: the platform's layouts, names of every
// length, corrupt sizes, and a failure or short read at each step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/streams/backup_streams.h"
#include "synthetic_backup.h"

using namespace brindle::streams;
using synthetic::Bytes;
using synthetic::utf16;

namespace {

std::vector<stream_record> walk(backup_reader& reader) {
    std::vector<stream_record> out;
    walk_backup_streams(reader, [&](const stream_record& r) { out.push_back(r); });
    return out;
}

std::vector<stream_record> walk(const synthetic::backup& data) {
    synthetic::reader reader(data);
    return walk(reader);
}

std::vector<std::uint32_t> ids(const std::vector<stream_record>& records) {
    std::vector<std::uint32_t> out;
    for (const auto& r : records) out.push_back(r.id);
    return out;
}

const std::u16string zone = u":Zone.Identifier:$DATA";

// A file with all the streams a backup of an NTFS file can show, in the platform's order. Its
// data is sparse: the main data header carries the sparse attribute, and each allocated range
// follows as a sparse block whose contents start with the range's 8-byte offset.
synthetic::backup full_file() {
    synthetic::backup b;
    b.stream(backup_security_data, stream_contains_security, u"", synthetic::security_descriptor())
        .stream(backup_ea_data, 0, u"", Bytes(40, 0xEA))
        .stream(backup_data, stream_sparse_attribute, u"", {})
        .stream(backup_sparse_block, stream_sparse_attribute, u"", {0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'})
        .stream(backup_sparse_block, stream_sparse_attribute, u"", {0, 0, 0x10, 0, 0, 0, 0, 0, 'c'})
        .stream(backup_alternate_data, 0, zone, synthetic::zone_mark)
        .stream(backup_object_id, 0, u"", Bytes(64, 0x0B))
        .stream(backup_reparse_data, 0, u"", Bytes(24, 0x8E));
    return b;
}
const std::vector<std::uint32_t> full_ids = {3, 2, 1, 9, 9, 4, 7, 8};

TEST(BackupWalk, MainDataOnly) {
    synthetic::backup b;
    b.stream(backup_data, 0, u"", Bytes(1000, 'x'));
    synthetic::reader reader(b);
    auto records = walk(reader);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, backup_data);
    EXPECT_EQ(records[0].size, 1000u);
    EXPECT_EQ(stream_display_name(records[0]), u"::$DATA");
    EXPECT_EQ(reader.position, b.data().size()) << "the seek went over the contents";
    EXPECT_EQ(reader.bytes_read, stream_header_size) << "contents are never read";
    EXPECT_TRUE(walk(synthetic::backup()).empty()) << "no data at all";
}

TEST(BackupWalk, EveryStreamOfAnNtfsFileInOrder) {
    synthetic::backup b = full_file();
    synthetic::reader reader(b);
    auto records = walk(reader);
    ASSERT_EQ(ids(records), full_ids);
    EXPECT_EQ(records[0].attributes, stream_contains_security);
    EXPECT_EQ(records[0].size, synthetic::security_descriptor().size());
    EXPECT_EQ(stream_display_name(records[0]), u"") << "an unnamed stream other than the main data";
    EXPECT_EQ(stream_display_name(records[2]), u"::$DATA");
    EXPECT_EQ(records[2].attributes, stream_sparse_attribute);
    EXPECT_EQ(records[4].size, 9u);
    EXPECT_EQ(stream_display_name(records[5]), zone);
    EXPECT_EQ(records[5].size, synthetic::zone_mark.size());
    EXPECT_EQ(records[7].size, 24u);
    EXPECT_EQ(reader.bytes_read, 8 * stream_header_size + zone.size() * 2) << "headers and names only";
    EXPECT_EQ(reader.seeks, 7u) << "one seek per stream with contents";
}

TEST(BackupWalk, NamesOfEveryLengthComeBackWhole) {
    // A long name, then a shorter one: nothing of the first is left in the second.
    std::u16string long_name = u":" + std::u16string(200, u'L') + u":$DATA";
    synthetic::backup b;
    b.stream(backup_alternate_data, 0, long_name, Bytes(3, 1)).stream(backup_alternate_data, 0, u":s:$DATA", Bytes(2, 2));
    auto records = walk(b);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, long_name);
    EXPECT_EQ(records[1].name, u":s:$DATA");

    // Over the 262 code units of a fixed name buffer: read whole, and the walk goes on.
    std::u16string huge = u":" + std::u16string(700, u'\x0416') + u":$DATA";
    synthetic::backup c;
    c.stream(backup_alternate_data, 0, huge, Bytes(5, 1)).stream(backup_data, 0, u"", Bytes(1, 0));
    records = walk(c);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, huge);
    EXPECT_EQ(records[0].name_size, huge.size() * 2);
    EXPECT_EQ(stream_short_name(records[0].name), std::u16string(700, u'\x0416'));
    EXPECT_EQ(records[1].id, backup_data);

    // At the limit still read; one byte over it the header is taken for corrupt data and the
    // walk ends there, as at a short read, without asking for the name.
    synthetic::backup d;
    d.stream(backup_data, 0, u"", Bytes(4, 0))
        .header(backup_alternate_data, 0, 0, max_stream_name_size)
        .add(Bytes(max_stream_name_size, 'a'))
        .header(backup_alternate_data, 0, 0, max_stream_name_size + 1)
        .add(Bytes(max_stream_name_size + 1, 'b'))
        .stream(backup_alternate_data, 0, u":after:$DATA", {});
    synthetic::reader reader(d);
    records = walk(reader);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].name.size(), max_stream_name_size / 2);
    EXPECT_LE(reader.largest_request, std::size_t(max_stream_name_size));
}

TEST(BackupWalk, OddNameSizeDropsTheUnpairedByte) {
    synthetic::backup b;
    Bytes name = utf16(u":ab:$DATA");
    name.push_back('Z');  // an unpaired byte: no character
    b.header(backup_alternate_data, 0, 3, static_cast<std::uint32_t>(name.size()))
        .add(name)
        .with_contents(Bytes(3, 7))
        .header(backup_data, 0, 0, 1)  // one byte of name: nothing at all
        .add({'Q'})
        .stream(backup_object_id, 0, u"", Bytes(64, 0));
    synthetic::reader reader(b);
    auto records = walk(reader);
    ASSERT_EQ(records.size(), 3u) << "every byte of the name was consumed, so the next header is found";
    EXPECT_EQ(records[0].name, u":ab:$DATA");
    EXPECT_EQ(records[0].name_size, name.size());
    EXPECT_EQ(records[1].name, u"");
    EXPECT_EQ(stream_display_name(records[1]), u"") << "a name was given, it just holds no character";
    EXPECT_EQ(records[2].id, backup_object_id);
    EXPECT_EQ(reader.position, b.data().size());
}

TEST(BackupWalk, CorruptSizesNeverLoop) {
    // A size beyond the contents: the platform stops the seek at the stream's end and the next
    // header is read as usual.
    synthetic::backup b;
    b.header(backup_data, 0, 0xFFFFFFFFFFFFFFF0ull, 0).with_contents(Bytes(10, 1)).stream(backup_alternate_data, 0, zone, {});
    auto records = walk(b);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].size, 0xFFFFFFFFFFFFFFF0ull);
    EXPECT_EQ(records[1].name, zone);

    // Contents claimed but none there: the seek cannot move, and the walk ends.
    synthetic::backup c;
    c.header(backup_data, 0, 100, 0).stream(backup_alternate_data, 0, zone, {});
    EXPECT_EQ(ids(walk(c)), (std::vector<std::uint32_t>{1}));

    // Data that never ends and a seek that reports success without moving: one stream, then stop.
    struct endless : backup_reader {
        std::optional<std::size_t> read(void* buffer, std::size_t size) override {
            unsigned char* out = static_cast<unsigned char*>(buffer);
            for (std::size_t i = 0; i < size; ++i) out[i] = (i % 20) == 8 ? 0x40 : 0;  // size 64, id 0
            ++reads;
            return size;
        }
        std::optional<std::uint64_t> seek(std::uint64_t) override { return 0; }
        int reads = 0;
    } forever;
    EXPECT_EQ(walk(forever).size(), 1u);
    EXPECT_EQ(forever.reads, 1);
}

TEST(BackupWalk, FailuresAtEachStepEndTheWalkWithWhatWasRead) {
    synthetic::backup b = full_file();  // reads: header, name (only when named) per stream
    auto with_failed_read = [&](std::size_t n) {
        synthetic::reader r(b);
        r.fail_read_number = n;
        return ids(walk(r));
    };
    EXPECT_TRUE(with_failed_read(1).empty()) << "the first header";
    EXPECT_EQ(with_failed_read(3), (std::vector<std::uint32_t>{3, 2})) << "the third header";
    EXPECT_EQ(with_failed_read(7), (std::vector<std::uint32_t>{3, 2, 1, 9, 9})) << "the zone mark's name";

    synthetic::reader failed_seek(b);
    failed_seek.fail_seek_number = 2;
    EXPECT_EQ(ids(walk(failed_seek)), (std::vector<std::uint32_t>{3, 2})) << "listed, then nothing to trust";

    // Data cut inside the zone mark's header, and inside its name.
    std::size_t zone_at = 5 * stream_header_size + synthetic::security_descriptor().size() + 40 + 10 + 9;
    const std::vector<std::uint32_t> before_zone = {3, 2, 1, 9, 9};
    synthetic::backup cut_header = full_file();
    cut_header.cut(zone_at + 11);
    EXPECT_EQ(ids(walk(cut_header)), before_zone);
    synthetic::backup cut_name = full_file();
    cut_name.cut(zone_at + stream_header_size + 7);
    EXPECT_EQ(ids(walk(cut_name)), before_zone);

    // A reader that hands out a few bytes at a time gives the same walk.
    synthetic::reader trickle(b);
    trickle.chunk = 7;
    auto records = walk(trickle);
    EXPECT_EQ(ids(records), full_ids);
    EXPECT_EQ(records[5].name, zone);
}

TEST(BackupWalk, ShortNames) {
    EXPECT_EQ(stream_short_name(u":Zone.Identifier:$DATA"), u"Zone.Identifier");
    EXPECT_EQ(stream_short_name(u"::$DATA"), u"");
    EXPECT_EQ(stream_short_name(u""), u"");
    EXPECT_EQ(stream_short_name(u"plain"), u"plain");
    EXPECT_EQ(stream_short_name(u":tail"), u"tail");
    EXPECT_EQ(stream_short_name(u"a:b:c:d"), u"b");
    EXPECT_EQ(stream_short_name(u":"), u"");
}

}  // namespace
