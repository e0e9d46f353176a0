#include "component/listfile/list_file.h"

#include "common/unique_bstr.h"
#include "component/files/ansi_text.h"
#include "component/files/file_errors.h"
#include "component/files/whole_file_io.h"
#include "component/listfile/list_file_format.h"
#include "component/files/text_lines.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace brindle {
namespace {

using tavrin::bstr_view;
using tavrin::unique_bstr;

std::string read_bytes(BSTR file_name) {
    const std::wstring resolved = files::resolve_or_raise(bstr_view(file_name));
    DWORD attributes = GetFileAttributesW(resolved.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) raise(err_path_file_access);
    std::string bytes;
    files::raise_file_error(files::read_whole_file(resolved, bytes));
    return bytes;
}

// Room for the end of every item the text can hold: no more than its lines. Only what is
// written is ever touched, so an estimate too high for a file of blank lines costs nothing.
template <class Char>
void reserve_ends(std::basic_string_view<Char> text, std::vector<std::uint32_t>& ends) {
    const auto lines = std::count(text.begin(), text.end(), Char('\n')) + std::count(text.begin(), text.end(), Char('\r'));
    try {
        ends.reserve(static_cast<std::size_t>(lines) + 1);
    } catch (const std::bad_alloc&) {
        // The ends then grow as they are found.
    }
}

// The items of the text moved to its front one after another, their ends noted: every item lies
// within its own line, so a move never reaches text not yet read.
template <class Char>
void gather_items(Char* text, std::size_t size, const list_file::options& how, std::vector<std::uint32_t>& ends) {
    const std::basic_string_view<Char> whole(text, size);
    reserve_ends(whole, ends);
    std::size_t end = 0;
    text::for_each_line(whole, [&](std::basic_string_view<Char> line) {
        if (std::optional<std::basic_string_view<Char>> item = list_file::item_of_line(line, how)) {
            std::memmove(text + end, item->data(), item->size() * sizeof(Char));
            end += item->size();
            ends.push_back(static_cast<std::uint32_t>(end));
        }
    });
}

}  // namespace

Collection::loaded_items read_list_file_items(BSTR FileName, bool IsOem, const list_file::options& how) {
    Collection::loaded_items items;
    std::string bytes = read_bytes(FileName);
    if (text::is_ascii(std::string_view(bytes))) {
        // ASCII reads the same in every code page (so IsOem changes nothing either): the items
        // stay in the file's bytes.
        gather_items(bytes.data(), bytes.size(), how, items.ends);
        items.ascii = std::move(bytes);
        return items;
    }
    unique_bstr content = files::ansi_text_of(std::move(bytes));
    items.is_wide = true;
    if (!IsOem) {
        gather_items(content.get(), content.length(), how, items.ends);
        items.wide = std::move(content);
        return items;
    }
    // The OEM reading may change an item's length, so the items are gathered anew.
    std::wstring gathered;
    text::for_each_line(content.view(), [&](std::wstring_view line) {
        std::optional<std::wstring_view> text = list_file::item_of_line(line, how);
        if (!text) return;
        // Only text outside ASCII changes in the conversion.
        if (!text::is_ascii(*text)) {
            unique_bstr oem(*text), converted;
            checked_call(tsOemToAnsi, oem.get(), converted.put());
            gathered += converted.view();
        } else {
            gathered += *text;
        }
        if (gathered.size() > 0xFFFFFFFFu) throw std::bad_alloc();
        items.ends.push_back(static_cast<std::uint32_t>(gathered.size()));
    });
    content.reset();
    items.wide = unique_bstr(std::wstring_view(gathered));
    return items;
}

tavrin::com_ptr<Collection> LoadListFile(BSTR FileName, bool IsOem, BSTR CommentChar, bool IgnoreBlanks,
                                         bool TrimStrings) {
    return Collection::create_loaded(
        read_list_file_items(FileName, IsOem, list_file::options{bstr_view(CommentChar), IgnoreBlanks, TrimStrings}));
}

}  // namespace brindle
