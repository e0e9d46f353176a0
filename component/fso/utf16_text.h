// The UTF-16 text rules of the whole-file members, over plain buffers (no platform types):
// byte order, the byte-order mark U+FEFF, and the odd last byte.
#pragma once

#include <cstddef>

namespace brindle::fso {

// Swaps the two bytes of every complete pair; an odd last byte stays where it is.
void swap_byte_order(unsigned char* bytes, std::size_t size) noexcept;

// File bytes → text. A leading FE FF means the bytes are big-endian (every complete pair is
// swapped); pairs are read little-endian, an odd last byte forms no character, and one leading
// U+FEFF is removed. decoded_utf16_units tells how many code units decode_utf16 writes to `out`.
std::size_t decoded_utf16_units(const unsigned char* bytes, std::size_t size) noexcept;
void decode_utf16(const unsigned char* bytes, std::size_t size, char16_t* out) noexcept;

// Text → file bytes: two bytes per code unit, low byte first, optionally preceded by U+FEFF,
// optionally with every pair swapped (big-endian, so a mark becomes FE FF).
// encoded_utf16_size tells how many bytes encode_utf16 writes to `out`.
constexpr std::size_t encoded_utf16_size(std::size_t units, bool write_mark) noexcept {
    return (units + (write_mark ? 1 : 0)) * 2;
}
void encode_utf16(const char16_t* text, std::size_t units, bool write_mark, bool invert_bytes,
                  unsigned char* out) noexcept;

}  // namespace brindle::fso
