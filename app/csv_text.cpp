#include "app/csv_text.h"

namespace pellmark {

void append_csv_line(std::wstring& text, const CsvLine& cells) {
    bool first = true;
    for (const std::wstring& cell : cells) {
        if (!first) text += L',';
        first = false;
        text += L'"';
        for (wchar_t c : cell) {
            if (c == L'"') text += L'"';
            text += c;
        }
        text += L'"';
    }
    text += L"\r\n";
}

std::wstring build_csv(const CsvLine& headers, const std::vector<CsvLine>& rows) {
    std::wstring text;
    append_csv_line(text, headers);
    for (const CsvLine& row : rows) append_csv_line(text, row);
    return text;
}

}  // namespace pellmark
