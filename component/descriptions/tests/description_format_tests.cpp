// One line of a description file read and written, as pure functions over text.
#include "component/descriptions/description_format.h"
#include "component/files/text_lines.h"

#include <gtest/gtest.h>

#include <string>

using namespace brindle::descriptions;

namespace {

// "name|description" for a line that carries an entry, "-" for one that carries none.
std::wstring parsed(std::wstring_view line) {
    auto entry = parse_description_line(line);
    return entry ? std::wstring(entry->name) + L"|" + std::wstring(entry->description) : L"-";
}

std::wstring written(std::wstring_view name, std::wstring_view description) {
    std::wstring out;
    append_description_line(out, name, name_needs_quotes(name), description);
    return out;
}

}  // namespace

TEST(DescriptionLine, NamesBareAndQuoted) {
    EXPECT_EQ(parsed(L"readme.txt Read this first"), L"readme.txt|Read this first");
    EXPECT_EQ(parsed(L"\"my file.doc\"   Version 2"), L"my file.doc|Version 2");
    EXPECT_EQ(parsed(L"\"my file.doc\"Version 2"), L"my file.doc|Version 2") << "no separator after the quote";
    EXPECT_EQ(parsed(L"a.txt\tafter a tab \t"), L"a.txt|after a tab");
    EXPECT_EQ(parsed(L"a.txt  \t padded"), L"a.txt|padded");
    EXPECT_EQ(parsed(L"empty.txt "), L"empty.txt|") << "an empty description is an entry";
    EXPECT_EQ(parsed(L"odd\" x"), L"odd|x") << "one quote at the end of a bare name goes";
    EXPECT_EQ(parsed(L"\"q\" say \"hi\""), L"q|say \"hi\"") << "quotes inside a description stay";
}

TEST(DescriptionLine, LinesThatCarryNoEntry) {
    for (std::wstring_view line : {L"", L"bare.txt", L" indented.txt text", L"\tindented.txt text",
                                   L"\"unclosed name text", L"\"\" no name", L"x.txt \"", L"x.txt  \"  "})
        EXPECT_EQ(parsed(line), L"-") << std::wstring(line);
    EXPECT_EQ(parsed(L"x.txt \"\""), L"x.txt|\"\"") << "only a lone quote is refused";
}

TEST(DescriptionLine, WritingQuotesBlankNamesAndFlattensLineBreaks) {
    EXPECT_EQ(written(L"readme.txt", L"Read this first"), L"readme.txt Read this first\r\n");
    EXPECT_EQ(written(L"my file.doc", L"Version 2"), L"\"my file.doc\" Version 2\r\n");
    EXPECT_EQ(written(L"tab\tname", L""), L"\"tab\tname\" \r\n");
    EXPECT_EQ(written(L"a.txt", L"one\r\ntwo\rthree\nfour"), L"a.txt one  two three four\r\n");
    EXPECT_EQ(written(L"odd\nname", L"x"), L"\"odd name\" x\r\n") << "a line break in a name becomes a quoted space";

    // What is written reads back as the same entry, and as exactly one line.
    const std::wstring_view names[] = {L"plain.txt", L"with space.txt", L"tab\t.txt", L"\x0444\x0430\x0439\x043B"};
    for (std::wstring_view name : names) {
        std::wstring text = written(name, L"desc \"quoted\" text");
        int lines = 0;
        brindle::text::for_each_line(std::wstring_view(text), [&](std::wstring_view line) {
            ++lines;
            EXPECT_EQ(parsed(line), std::wstring(name) + L"|desc \"quoted\" text");
        });
        EXPECT_EQ(lines, 1);
    }
}
