// The export text, checked against an independent reading of the CSV rules.
#include "app/csv_text.h"
#include "app/tests/csv_reader.h"

#include <gtest/gtest.h>

using pellmark::build_csv;
using pellmark::test::parse_csv;

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
