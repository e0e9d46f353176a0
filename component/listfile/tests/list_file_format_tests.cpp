// Line splitting and the list-file item rules, as pure functions over text.
#include "component/listfile/list_file_format.h"
#include "component/files/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brindle;
using Lines = std::vector<std::wstring>;

namespace {

Lines lines_of(std::wstring_view text) {
    Lines out;
    text::for_each_line(text, [&](std::wstring_view line) { out.emplace_back(line); });
    return out;
}

Lines items_of(std::wstring_view text, list_file::options how = {}) {
    Lines out;
    text::for_each_line(text, [&](std::wstring_view line) {
        if (auto item = list_file::item_of_line(line, how)) out.emplace_back(*item);
    });
    return out;
}

// A comment indented by two spaces, an empty line, alpha between two spaces each side, beta.
constexpr std::wstring_view example = L"  ;comment\r\n\r\n  alpha  \r\nbeta\r\n";

}  // namespace

TEST(TextLines, CrCrLfAndLfEachEndOneLine) {
    EXPECT_EQ(lines_of(L"a\r\nb\rc\nd"), (Lines{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(lines_of(L"a\r\n"), (Lines{L"a"})) << "the end of the text after a line end opens no line";
    EXPECT_EQ(lines_of(L""), Lines{});
    EXPECT_EQ(lines_of(L"\r\n\r\n"), (Lines{L"", L""}));
    EXPECT_EQ(lines_of(L"a\n\rb"), (Lines{L"a", L"", L"b"})) << "LF CR is two line ends";
    EXPECT_EQ(lines_of(L"x\r\r\ny"), (Lines{L"x", L"", L"y"}));
    EXPECT_EQ(text::trim_blanks(L" \t a b \t"), L"a b");
    EXPECT_EQ(text::trim_blanks(L" \x3000 "), L"\x3000") << "only spaces and tabs are blanks";
}

TEST(ListFileItems, TheExampleFileUnderEachOption) {
    EXPECT_EQ(items_of(example), (Lines{L"alpha", L"beta"}));
    EXPECT_EQ(items_of(example, {L";", true, false}), (Lines{L"  alpha  ", L"beta"}))
        << "untrimmed items, and the indented comment is still a comment";
    EXPECT_EQ(items_of(example, {L";", false, true}), (Lines{L"", L"alpha", L"beta"}))
        << "the empty line comes before alpha in the file, so it is the first item";
    EXPECT_EQ(items_of(L" \t \r\nx", {L";", false, false}), (Lines{L" \t ", L"x"})) << "raw blanks kept";
    EXPECT_EQ(items_of(example, {L"", true, true}), (Lines{L";comment", L"alpha", L"beta"}));

    // The same file with LF alone, and with CR alone, gives the same items.
    EXPECT_EQ(items_of(L"  ;comment\n\n  alpha  \nbeta"), (Lines{L"alpha", L"beta"}));
    EXPECT_EQ(items_of(L"  ;comment\r\r  alpha  \rbeta\r"), (Lines{L"alpha", L"beta"}));
}

TEST(ListFileItems, CommentMarkersOfAnyLengthCompareExactly) {
    const std::wstring_view text = L"// one\r\n;two\r\n  //three\r\nfour // not a comment\r\n/ five\r\n";
    EXPECT_EQ(items_of(text, {L"//"}), (Lines{L";two", L"four // not a comment", L"/ five"}));
    EXPECT_EQ(items_of(L"REM a\r\nrem b\r\n REMARK c\r\nRe d\r\n", {L"REM"}), (Lines{L"rem b", L"Re d"}))
        << "letters compare with case, and the marker is a prefix of the trimmed text";
    EXPECT_EQ(items_of(L";\r\n;;\r\n", {L";;"}), (Lines{L";"})) << "a line shorter than the marker is an item";
}
