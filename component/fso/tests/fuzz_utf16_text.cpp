// The UTF-16 rules fuzzed: any bytes decode to at most half as many units; the text written with a
// mark reads back as itself in either byte order, and without one too unless its first unit reads
// as a mark (big-endian then reads back with every unit swapped); swapping twice changes nothing.
#include "component/fso/utf16_text.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>
#include <string>
#include <vector>

using tavrin::fuzz::check;

using namespace brindle::fso;
using bytes = std::vector<unsigned char>;

namespace {

std::u16string decode(const unsigned char* data, std::size_t size) {
    std::u16string text(decoded_utf16_units(data, size), u'\0');
    decode_utf16(data, size, text.data());
    return text;
}

char16_t swapped(char16_t unit) { return static_cast<char16_t>((unit >> 8) | (unit << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = decode(data, size);
    check(text.size() <= size / 2);
    const bool reads_as_mark = !text.empty() && (text[0] == 0xFEFF || text[0] == 0xFFFE);
    for (bool mark : {false, true}) {
        for (bool invert : {false, true}) {
            bytes out(encoded_utf16_size(text.size(), mark));
            encode_utf16(text.data(), text.size(), mark, invert, out.data());
            const std::u16string back = decode(out.data(), out.size());
            if (mark || (!invert && !reads_as_mark)) check(back == text);
            if (!mark && reads_as_mark) check(back.size() + 1 == text.size());
            if (!mark && invert && !reads_as_mark) {
                check(back.size() == text.size());
                for (std::size_t i = 0; i < text.size(); ++i) check(back[i] == swapped(text[i]));
            }
        }
    }
    bytes twice(data, data + size);
    swap_byte_order(twice.data(), twice.size());
    swap_byte_order(twice.data(), twice.size());
    check(twice == bytes(data, data + size));
    return 0;
}
