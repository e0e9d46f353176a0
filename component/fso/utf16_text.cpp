#include "component/fso/utf16_text.h"

#include <cstring>
#include <utility>

namespace brindle::fso {
namespace {

bool is_big_endian(const unsigned char* bytes, std::size_t size) noexcept {
    return size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
}

// One leading mark, in whichever order it came, is not part of the text.
bool starts_with_mark(const unsigned char* bytes, std::size_t size) noexcept {
    if (size < 2) return false;
    return (bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF);
}

}  // namespace

void swap_byte_order(unsigned char* bytes, std::size_t size) noexcept {
    for (std::size_t i = 0; i + 1 < size; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

std::size_t decoded_utf16_units(const unsigned char* bytes, std::size_t size) noexcept {
    return size / 2 - (starts_with_mark(bytes, size) ? 1 : 0);
}

void decode_utf16(const unsigned char* bytes, std::size_t size, char16_t* out) noexcept {
    const bool big_endian = is_big_endian(bytes, size);
    const std::size_t first = starts_with_mark(bytes, size) ? 1 : 0;
    const std::size_t units = size / 2;
    if (!big_endian) {  // the common case: the bytes already are the code units
        if (units > first) std::memcpy(out, bytes + 2 * first, (units - first) * 2);
        return;
    }
    for (std::size_t i = first; i < units; ++i) {
        unsigned lo = bytes[2 * i], hi = bytes[2 * i + 1];
        if (big_endian) std::swap(lo, hi);
        *out++ = static_cast<char16_t>(lo | (hi << 8));
    }
}

void encode_utf16(const char16_t* text, std::size_t units, bool write_mark, bool invert_bytes,
                  unsigned char* out) noexcept {
    auto put = [&](char16_t unit) {
        unsigned char lo = static_cast<unsigned char>(unit & 0xFF), hi = static_cast<unsigned char>(unit >> 8);
        *out++ = invert_bytes ? hi : lo;
        *out++ = invert_bytes ? lo : hi;
    };
    if (write_mark) put(u'\xFEFF');
    for (std::size_t i = 0; i < units; ++i) put(text[i]);
}

}  // namespace brindle::fso
