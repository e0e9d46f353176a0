// A strict reader of the export's CSV, written from the rules rather than from the writer:
// quoted cells only, "" for a quote, one comma between cells, CR LF after every line. Throws on
// anything else.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace pellmark::test {

inline std::vector<std::vector<std::wstring>> parse_csv(const std::wstring& text) {
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

}  // namespace pellmark::test
