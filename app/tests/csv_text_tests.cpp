// The export text, checked against an independent reading of the CSV rules.
#include "app/csv_text.h"

#include <gtest/gtest.h>

using pellmark::build_csv;

namespace {

// A strict CSV reader: quoted cells only, "" for a quote, CR LF after every line.
std::vector<std::vector<std::wstring>> parse_csv(const std::wstring& text) {
    std::vector<std::vector<std::wstring>> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::vector<std::wstring> cells;
        for (;;) {
            if (text.at(i) != L'"') throw std::runtime_error("cell without opening quote");
            std::wstring cell;
            for (++i;; ++i) {
                if (text.at(i) == L'"') {
                    if (i + 1 < text.size() && text[i + 1] == L'"') { cell += L'"'; ++i; continue; }
                    ++i;
                    break;
                }
                cell += text[i];
            }
            cells.push_back(cell);
            if (text.at(i) == L',') { ++i; continue; }
            if (text.compare(i, 2, L"\r\n") != 0) throw std::runtime_error("line not ended by CR LF");
            i += 2;
            break;
        }
        lines.push_back(cells);
    }
    return lines;
}

}  // namespace

TEST(CsvText, EmptyListIsTheHeaderLineOnly) {
    EXPECT_EQ(build_csv({L"Name", L"Address", L"Path"}, {}), L"\"Name\",\"Address\",\"Path\"\r\n");
}

TEST(CsvText, RowsFollowTheHeaderWithoutTrailingComma) {
    std::wstring text = build_csv({L"Name", L"Address", L"Path"},
                                  {{L"ntoskrnl.exe", L"80400000", L"\\SystemRoot\\system32\\ntoskrnl.exe"},
                                   {L"", L"F7A30000", L"C:\\drv\\x.sys"}});
    EXPECT_EQ(text,
              L"\"Name\",\"Address\",\"Path\"\r\n"
              L"\"ntoskrnl.exe\",\"80400000\",\"\\SystemRoot\\system32\\ntoskrnl.exe\"\r\n"
              L"\"\",\"F7A30000\",\"C:\\drv\\x.sys\"\r\n");
}

TEST(CsvText, QuotesCommasAndLineBreaksInCellsSurviveAParser) {
    std::vector<std::vector<std::wstring>> rows = {
        {L"a\"b", L"1,2", L"say \"\"hi\"\""}, {L"\"", L"", L"line\r\nbreak"}, {L"\x0434\x0440\x0430\x0439\x0432\x0435\x0440", L"0", L"p"}};
    std::wstring text = build_csv({L"Name", L"Address", L"Path"}, rows);
    auto parsed = parse_csv(text);
    ASSERT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed[0], (std::vector<std::wstring>{L"Name", L"Address", L"Path"}));
    for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(parsed[r + 1], rows[r]) << "row " << r;
}
