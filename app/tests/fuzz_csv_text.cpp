// The export text fuzzed: any header and rows (cells holding quotes, commas and line breaks
// included) come back cell for cell from a strict CSV reader.
#include "app/csv_text.h"
#include "app/tests/csv_reader.h"
#include "tests/support/fuzz_check.h"

#include <cstdint>

using tavrin::fuzz::check;

// The input is UTF-16 text: U+FFFF ends a cell, U+FFFE a line (the first line is the header).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<pellmark::CsvLine> lines(1, pellmark::CsvLine(1));
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (unit == 0xFFFE) lines.emplace_back(1);
        else if (unit == 0xFFFF) lines.back().emplace_back();
        else lines.back().back() += unit;
    }
    const pellmark::CsvLine header = lines.front();
    const std::vector<pellmark::CsvLine> rows(lines.begin() + 1, lines.end());
    check(pellmark::test::parse_csv(pellmark::build_csv(header, rows)) == lines);
    return 0;
}
