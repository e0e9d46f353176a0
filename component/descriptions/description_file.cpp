#include "component/descriptions/description_file.h"

#include "common/unique_bstr.h"
#include "component/descriptions/description_format.h"
#include "component/files/ansi_text.h"
#include "component/files/text_lines.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace brindle::descriptions {
namespace {

using tavrin::unique_bstr;

using text_conversion = HRESULT(__stdcall*)(BSTR, BSTR*);

unique_bstr converted(text_conversion convert, std::wstring_view text) {
    unique_bstr in(text), out;
    checked_call(convert, in.get(), out.put());
    return out;
}

// Whether every byte, read as ANSI text and written back, is the same byte again. Then the
// chain below (bytes as ANSI text, back to bytes, read as OEM) is the OEM reading of the bytes
// themselves, and writing the other way round is the OEM writing of the text: one conversion
// does what three would, with the same result to the byte.
bool ansi_keeps_every_byte() noexcept {
    static const bool keeps = [] {
        CPINFO info{};
        if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return false;
        char bytes[256], back[256];
        wchar_t text[256];
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
        if (MultiByteToWideChar(CP_ACP, 0, bytes, 256, text, 256) != 256) return false;
        if (WideCharToMultiByte(CP_ACP, 0, text, 256, back, 256, nullptr, nullptr) != 256) return false;
        return std::memcmp(bytes, back, sizeof(bytes)) == 0;
    }();
    return keeps;
}

// The OEM reading of the bytes in one call; false when the platform refuses it.
bool read_as_oem(const std::string& bytes, std::wstring& text) {
    const int size = static_cast<int>(bytes.size());  // below 2 GiB: read_whole_file refuses more
    int chars = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0);
    if (chars <= 0) return false;
    text.resize(static_cast<std::size_t>(chars));
    chars = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, text.data(), chars);
    text.resize(static_cast<std::size_t>(std::max(chars, 0)));
    return chars > 0;
}

// The OEM writing of the text in one call; false when the platform refuses it.
bool write_as_oem(std::wstring_view text, std::string& bytes) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return false;
    const int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_OEMCP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    bytes.resize(static_cast<std::size_t>(size));
    size = WideCharToMultiByte(CP_OEMCP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(std::max(size, 0)));
    return size > 0;
}

// The file's bytes taken as ANSI text, then converted from OEM to ANSI. The conversions work
// character by character and line ends, blanks and quotes are the same in every code page, so
// the whole text is converted at once rather than line by line.
std::wstring oem_text(std::string bytes) {
    std::wstring text;
    if (ansi_keeps_every_byte() && read_as_oem(bytes, text)) return text;
    const unique_bstr ansi = files::ansi_text_of(std::move(bytes));
    unique_bstr converted_text;
    checked_call(tsOemToAnsi, ansi.get(), converted_text.put());
    return std::wstring(converted_text.view());
}

// Whether the name, once in the OEM code page, holds a blank and so needs quotes. A character
// the OEM code page lacks may become a space there, so a name outside ASCII is converted to see.
bool written_in_quotes(std::wstring_view name, std::string& scratch) {
    if (text::is_ascii(name)) return name_needs_quotes(name);
    if (ansi_keeps_every_byte() && write_as_oem(name, scratch)) return name_needs_quotes(std::string_view(scratch));
    return name_needs_quotes(converted(tsAnsiToOem, name).view());
}

}  // namespace

// Only a code page whose bytes below 0x80 read as ASCII and whose other bytes are never a line
// end, a blank or a quote qualifies, so a line parses the same in its bytes as in its text.
const byte_table* oem_byte_table() {
    static const std::unique_ptr<byte_table> table = []() -> std::unique_ptr<byte_table> {
        CPINFO info{};
        if (!ansi_keeps_every_byte() || !GetCPInfo(CP_OEMCP, &info) || info.MaxCharSize != 1) return nullptr;
        auto made = std::make_unique<byte_table>();
        char bytes[256];
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
        if (MultiByteToWideChar(CP_OEMCP, 0, bytes, 256, made->text, 256) != 256) return nullptr;
        for (int i = 0; i < 256; ++i) {
            const wchar_t c = made->text[i];
            if (i < 0x80 ? c != static_cast<wchar_t>(i)
                         : (c == L'\r' || c == L'\n' || c == L' ' || c == L'\t' || c == L'"'))
                return nullptr;
        }
        std::memcpy(made->folded, made->text, sizeof made->text);
        CharUpperBuffW(made->folded, 256);
        text_ref::use_byte_table(made.get());
        return made;
    }();
    return table.get();
}

namespace {

// Whether the OEM writing of each character of the byte table is its byte again: then a text
// kept in those bytes is written as the bytes themselves, as the conversion would write it.
bool oem_bytes_written_back() {
    static const bool back = [] {
        const byte_table* table = oem_byte_table();
        if (!table) return false;
        for (int b = 0; b < 256; ++b) {
            char out[4];
            if (WideCharToMultiByte(CP_OEMCP, 0, &table->text[b], 1, out, sizeof out, nullptr, nullptr) != 1 ||
                static_cast<unsigned char>(out[0]) != b)
                return false;
        }
        return true;
    }();
    return back;
}

// A text's OEM bytes: its own where it is kept in them, its ASCII, or its OEM writing. False
// when the platform refuses the conversion.
bool oem_bytes_of(const text_ref& text, std::wstring& wide, std::string& buffer, std::string_view& out) {
    if (text.in_bytes() || text.is_ascii()) {
        out = text.ascii(buffer);
        return true;
    }
    if (!write_as_oem(text.wide(wide), buffer)) return false;
    out = buffer;
    return true;
}

// The file's bytes written entry by entry where all the text is ASCII (the same in both code
// pages) or the OEM code page is a single-byte one that writes every byte of the table back (a
// list read from such a file is mostly in its bytes already); false where some text cannot be
// converted, and the caller converts the whole text.
bool encode_in_bytes(const description_list& list, std::size_t length, bool all_ascii, std::string& bytes) {
    if (!all_ascii && !oem_bytes_written_back()) return false;
    bytes.reserve(length);
    std::wstring wide;
    std::string name_buffer, description_buffer;
    std::string_view name, description;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const description_list::entry& e = *list.at(static_cast<long long>(i));
        if (!oem_bytes_of(e.name, wide, name_buffer, name) || !oem_bytes_of(e.description, wide, description_buffer, description))
            return false;
        append_description_line(bytes, name, name_needs_quotes(name), description);
    }
    return true;
}

}  // namespace

bool oem_can_hold(std::wstring_view name) {
    if (text::is_ascii(name)) return true;
    if (name.size() > static_cast<std::size_t>(INT_MAX / 4)) return false;
    const int length = static_cast<int>(name.size());
    // Without best-fit mappings, a character the code page lacks becomes the default character
    // and is reported; what comes back must also be the same text (decomposed forms, say).
    BOOL lost = FALSE;
    std::string bytes(static_cast<std::size_t>(length) * 4, '\0');
    const int size = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, name.data(), length, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, &lost);
    if (size <= 0 || lost) return false;
    std::wstring back(static_cast<std::size_t>(size), L'\0');
    const int chars = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, back.data(), size);
    return chars == length && std::wstring_view(back.data(), static_cast<std::size_t>(chars)) == name;
}

DWORD read_description_file(const wchar_t* file_name, description_list& list) {
    list.clear();
    DWORD attributes = GetFileAttributesW(file_name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;

    std::wstring resolved;
    if (DWORD e = files::resolve_file_name(file_name, resolved)) return e;
    std::string bytes;
    if (DWORD error = files::read_whole_file(resolved, bytes)) return error;
    const bool ascii = text::is_ascii(std::string_view(bytes));
    if (ascii || oem_byte_table()) {
        // ASCII reads the same in every code page; in a code page of the byte table one byte is
        // one character, and line ends, blanks and quotes are their ASCII bytes. Either way the
        // entries point into the bytes themselves.
        text_ref (*const as_text)(std::string_view) =
            ascii ? +[](std::string_view s) noexcept { return text_ref(s); } : text_ref::bytes;
        const std::string_view kept = list.keep(std::move(bytes));
        list.reserve(count_description_entries(kept));
        for_each_description_entry(kept, [&](const ascii_description_line& e) {
            list.add_kept(as_text(e.name), as_text(e.description));
        });
        return ERROR_SUCCESS;
    }
    std::wstring converted_text = oem_text(std::move(bytes));
    const std::wstring_view kept = list.keep(std::move(converted_text));
    list.reserve(count_description_entries(kept));
    for_each_description_entry(kept, [&](const description_line& e) { list.add_kept(e.name, e.description); });
    return ERROR_SUCCESS;
}

std::string encode_description_file(const description_list& list) {
    bool ascii = true;
    std::size_t length = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const description_list::entry& e = *list.at(static_cast<long long>(i));
        length += e.name.size() + e.description.size() + 5;
        ascii = ascii && e.name.is_ascii() && e.description.is_ascii();
    }
    if (std::string bytes; encode_in_bytes(list, length, ascii, bytes)) return bytes;

    std::wstring name_buffer, description_buffer;
    std::string scratch;
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const description_list::entry& e = *list.at(static_cast<long long>(i));
        std::wstring_view name = e.name.wide(name_buffer);
        append_description_line(text, name, written_in_quotes(name, scratch), e.description.wide(description_buffer));
    }
    if (std::string bytes; ansi_keeps_every_byte() && write_as_oem(text, bytes)) return bytes;
    unique_bstr oem = converted(tsAnsiToOem, text);
    text = std::wstring();
    tavrin::unique_safearray array;
    checked_call(tsStrConvB, oem.get(), array.put());
    tavrin::safearray_lock lock(array.get());
    return std::string(lock.data<const char>(), lock.count());
}

DWORD write_description_file(const wchar_t* file_name, const description_list& list) {
    std::wstring resolved;
    if (DWORD e = files::resolve_file_name(file_name, resolved)) return e;
    const std::string bytes = encode_description_file(list);

    // Read-only, hidden or system would stop the replacement; the old attributes come back if
    // the write fails, so a failure changes nothing at all. The result is hidden.
    const DWORD old_attributes = GetFileAttributesW(resolved.c_str());
    SetFileAttributesW(resolved.c_str(), FILE_ATTRIBUTE_NORMAL);
    files::replace_options options;
    options.set_attributes = true;
    options.attributes = FILE_ATTRIBUTE_HIDDEN;
    if (DWORD error = files::replace_file(resolved, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                          options)) {
        if (old_attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(resolved.c_str(), old_attributes);
        return error;
    }
    return ERROR_SUCCESS;
}

}  // namespace brindle::descriptions
