#include "component/descriptions/description_file.h"

#include "common/unique_bstr.h"
#include "component/descriptions/description_format.h"
#include "component/listfile/text_lines.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <string>

namespace brindle::descriptions {
namespace {

using tavrin::unique_bstr;

void check_support(HRESULT hr) {
    if (FAILED(hr)) raise(number_from_hresult(hr));
}

using text_conversion = HRESULT(__stdcall*)(BSTR, BSTR*);

unique_bstr converted(text_conversion convert, std::wstring_view text) {
    unique_bstr in(text), out;
    check_support(convert(in.get(), out.put()));
    return out;
}

// Whether the name, once in the OEM code page, holds a blank and so needs quotes. A character
// the OEM code page lacks may become a space there, so a name outside ASCII is converted to see.
bool written_in_quotes(std::wstring_view name) {
    if (text::is_ascii(name)) return name_needs_quotes(name);
    return name_needs_quotes(converted(tsAnsiToOem, name).view());
}

}  // namespace

DWORD read_description_file(const wchar_t* file_name, description_list& list) {
    list.clear();
    DWORD attributes = GetFileAttributesW(file_name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;

    tavrin::unique_safearray bytes;
    if (DWORD error = fso::read_whole_file(file_name, bytes)) return error;
    unique_bstr ansi;
    check_support(tsStrConvW(bytes.get(), ansi.put()));
    bytes.reset();
    // The conversion works character by character and line ends, blanks and quotes are the same
    // in every code page, so the whole text is converted at once rather than line by line.
    unique_bstr text;
    check_support(tsOemToAnsi(ansi.get(), text.put()));
    ansi.reset();

    text::for_each_line(text.view(), [&](std::wstring_view line) {
        if (std::optional<description_line> entry = parse_description_line(line))
            list.add_new(entry->name, entry->description);
    });
    return ERROR_SUCCESS;
}

tavrin::unique_safearray encode_description_file(const description_list& list) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const description_list::entry& e = *list.at(static_cast<long long>(i));
        length += e.name.size() + e.description.size() + 5;
    }
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const description_list::entry& e = *list.at(static_cast<long long>(i));
        append_description_line(text, e.name, written_in_quotes(e.name), e.description);
    }
    unique_bstr oem = converted(tsAnsiToOem, text);
    text = std::wstring();
    tavrin::unique_safearray bytes;
    check_support(tsStrConvB(oem.get(), bytes.put()));
    return bytes;
}

DWORD write_description_file(const wchar_t* file_name, const description_list& list, const fso::file_writer& write) {
    tavrin::unique_safearray bytes = encode_description_file(list);
    tavrin::safearray_lock lock(bytes.get());

    // Read-only, hidden or system would stop the replacement; the old attributes come back if
    // the write fails, so a failure changes nothing at all.
    const DWORD old_attributes = GetFileAttributesW(file_name);
    SetFileAttributesW(file_name, FILE_ATTRIBUTE_NORMAL);
    if (DWORD error = fso::replace_file_atomically(file_name, lock.data(), lock.count(), write)) {
        if (old_attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(file_name, old_attributes);
        return error;
    }
    SetFileAttributesW(file_name, FILE_ATTRIBUTE_HIDDEN);
    return ERROR_SUCCESS;
}

}  // namespace brindle::descriptions
