#include "component/listfile/list_file.h"

#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "component/files/file_errors.h"
#include "component/files/whole_file_io.h"
#include "component/listfile/list_file_format.h"
#include "component/files/text_lines.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

#include <string>
#include <string_view>

namespace brindle {
namespace {

using tavrin::bstr_text;
using tavrin::bstr_view;
using tavrin::unique_bstr;

// The decimal text of a positive number, written into buffer (no allocation per item).
std::wstring_view decimal(long value, wchar_t (&buffer)[16]) noexcept {
    wchar_t* end = buffer + 16;
    wchar_t* p = end;
    unsigned long n = static_cast<unsigned long>(value);
    do {
        *--p = static_cast<wchar_t>(L'0' + n % 10);
        n /= 10;
    } while (n != 0);
    return {p, static_cast<std::size_t>(end - p)};
}

tavrin::unique_safearray read_bytes(BSTR file_name) {
    const std::wstring resolved = files::resolve_or_raise(bstr_view(file_name));
    DWORD attributes = GetFileAttributesW(resolved.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) raise(err_path_file_access);
    tavrin::unique_safearray bytes;
    files::raise_file_error(files::read_whole_file(resolved, bytes));
    return bytes;
}

}  // namespace

void read_list_file_items(BSTR FileName, bool IsOem, const list_file::options& how,
                          const std::function<void(std::wstring_view)>& item) {
    tavrin::unique_safearray bytes = read_bytes(FileName);
    {
        tavrin::safearray_lock lock(bytes.get());
        const std::string_view content(lock.data<const char>(), lock.count());
        if (text::is_ascii(content)) {
            // ASCII reads the same in every code page (so IsOem changes nothing either): the lines
            // are parsed in the file's bytes, and only the items are widened.
            std::wstring wide;
            text::for_each_line(content, [&](std::string_view line) {
                if (std::optional<std::string_view> text = list_file::item_of_line(line, how)) {
                    text::widen_ascii(*text, wide);
                    item(wide);
                }
            });
            return;
        }
    }
    unique_bstr content;
    checked_call(tsStrConvW, bytes.get(), content.put());
    bytes.reset();
    text::for_each_line(content.view(), [&](std::wstring_view line) {
        std::optional<std::wstring_view> text = list_file::item_of_line(line, how);
        if (!text) return;
        // Only text outside ASCII changes in the conversion.
        if (IsOem && !text::is_ascii(*text)) {
            unique_bstr oem(*text), converted;
            checked_call(tsOemToAnsi, oem.get(), converted.put());
            item(converted.view());
        } else {
            item(*text);
        }
    });
}

tavrin::com_ptr<Collection> LoadListFile(BSTR FileName, bool IsOem, BSTR CommentChar, bool IgnoreBlanks,
                                         bool TrimStrings) {
    tavrin::com_ptr<Collection> list = Collection::create();
    wchar_t key[16];
    read_list_file_items(FileName, IsOem, list_file::options{bstr_view(CommentChar), IgnoreBlanks, TrimStrings},
                         [&](std::wstring_view text) { list->append_with_new_key(text, decimal(list->count() + 1, key)); });
    return list;
}

}  // namespace brindle
