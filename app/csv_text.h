// The text of Pellmark's CSV export: a header line of column titles, then one line per row;
// every cell in double quotes (a quote inside a cell doubled), cells separated by one comma,
// every line ended by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

using CsvLine = std::vector<std::wstring>;

void append_csv_line(std::wstring& text, const CsvLine& cells);
std::wstring build_csv(const CsvLine& headers, const std::vector<CsvLine>& rows);

}  // namespace pellmark
