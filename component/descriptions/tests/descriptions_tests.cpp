// tavDescriptIon in this process, over real files in a temporary folder: editing the model,
// reading and writing description files byte for byte, the one-step replacement (with a failing
// writer put in), Russian text in the OEM code page, and every file of the description corpus.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/unique_bstr.h"
#include "common/unique_handle.h"
#include "common/upper_case.h"
#include "support/TavrinSupport0100.h"
#include "common/safearray.h"
#include "component/descriptions/description_file.h"
#include "component/descriptions/tavDescriptIon.h"
#include "component/files/text_lines.h"
#include "tests/support/children.h"
#include "tests/support/com_test.h"
#include "tests/support/process_usage.h"
#include "tests/support/test_files.h"

using Model = brindle::tavDescriptIon;  // the global name is the coclass of the type library
using tavrin::unique_bstr;
using Bytes = std::string;
using test_support::scratch_folder;

namespace {

constexpr VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;

class Descriptions : public test_support::ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        model = Model::create();
    }
    std::wstring path(const std::wstring& name) const { return scratch.file(name); }
    std::vector<std::wstring> names() const { return scratch.names(); }
    void put(const std::wstring& name, const Bytes& bytes) const { scratch.put(name, bytes); }
    static Bytes get(const std::wstring& name) { return scratch_folder::get(name); }
    static DWORD attributes(const std::wstring& name) { return scratch_folder::attributes(name); }

    bool read(const std::wstring& name) {
        VARIANT_BOOL ok = no;
        EXPECT_EQ(model->ReadFile(unique_bstr(name).get(), &ok), S_OK);
        return ok == yes;
    }
    bool write(const std::wstring& name = L"") {
        VARIANT_BOOL ok = no;
        EXPECT_EQ(model->WriteFile(name.empty() ? nullptr : unique_bstr(name).get(), &ok), S_OK);
        return ok == yes;
    }
    void add(const wchar_t* name, const wchar_t* description) {
        EXPECT_EQ(model->AddItem(unique_bstr(name).get(), unique_bstr(description).get()), S_OK);
    }
    long count() {
        LONG n = -1;
        EXPECT_EQ(model->get_ItemCount(&n), S_OK);
        return n;
    }
    // Every entry as "name=description;", in order.
    std::wstring entries() {
        std::wstring out;
        for (long i = 0; i < count(); ++i) {
            unique_bstr name, description;
            EXPECT_EQ(model->get_ItemFileName(i, name.put()), S_OK);
            EXPECT_EQ(model->get_ItemDescription(i, description.put()), S_OK);
            out.append(name.view()).append(L"=").append(description.view()).append(L";");
        }
        return out;
    }
    std::wstring description_of(const wchar_t* name) {
        unique_bstr text;
        EXPECT_EQ(model->get_ItemDescriptionByFileName(unique_bstr(name).get(), text.put()), S_OK);
        return std::wstring(text.view());
    }
    std::wstring stored_name() {
        unique_bstr name;
        EXPECT_EQ(model->get_FileName(name.put()), S_OK);
        return std::wstring(name.view());
    }

    scratch_folder scratch{L"tavdesc"};
    const std::wstring& folder = scratch.path();
    tavrin::com_ptr<Model> model;
};

TEST_F(Descriptions, EditingByNameAndPosition) {
    add(L"a.txt", L"x");
    add(L"b.txt", L"second");
    add(L"A.TXT", L"y");
    EXPECT_EQ(entries(), L"b.txt=second;A.TXT=y;") << "a changed entry moves to the end, under its new spelling";
    add(L"a.txt", L"");
    add(L"", L"nameless");
    EXPECT_EQ(entries(), L"b.txt=second;A.TXT=y;") << "empty arguments change nothing";
    EXPECT_EQ(description_of(L"a.TxT"), L"y");
    EXPECT_EQ(description_of(L""), L"");
    EXPECT_EQ(description_of(L"none.txt"), L"");

    add(L"c.txt", L"third");
    unique_bstr text;
    for (LONG bad : {-1L, 3L, 0x7FFFFFFFL}) {
        EXPECT_EQ(model->get_ItemFileName(bad, text.put()), S_OK);
        EXPECT_TRUE(text.empty()) << bad;
        EXPECT_EQ(model->get_ItemDescription(bad, text.put()), S_OK);
        EXPECT_TRUE(text.empty()) << bad;
    }
    VARIANT_BOOL removed = yes;
    EXPECT_EQ(model->RemoveItem(3, &removed), S_OK);
    EXPECT_EQ(removed, no) << "position ItemCount is outside";
    EXPECT_EQ(model->RemoveItem(-1, &removed), S_OK);
    EXPECT_EQ(removed, no);
    EXPECT_EQ(model->RemoveItem(0, &removed), S_OK);
    EXPECT_EQ(removed, yes);
    EXPECT_EQ(entries(), L"A.TXT=y;c.txt=third;") << "position 0 is now what was the second entry";
    EXPECT_EQ(model->RemoveItemByFileName(unique_bstr(L"C.TXT").get(), &removed), S_OK);
    EXPECT_EQ(removed, yes);
    EXPECT_EQ(model->RemoveItemByFileName(unique_bstr(L"C.TXT").get(), &removed), S_OK);
    EXPECT_EQ(removed, no);
    EXPECT_EQ(model->RemoveItemByFileName(nullptr, &removed), S_OK);
    EXPECT_EQ(removed, no);
    add(L"c.txt", L"back");  // the removed name joins again, after the remaining entry
    EXPECT_EQ(entries(), L"A.TXT=y;c.txt=back;");
    EXPECT_EQ(description_of(L"a.txt"), L"y") << "lookups stay right after removals";
}

TEST_F(Descriptions, ReadingSkipsLinesWithoutEntriesAndEndsLinesAtLfToo) {
    put(path(L"d.ion"), "readme.txt Read this first\r\n\"my file.doc\"   Version 2\r\nbare\r\n\r\n"
                        " indented x\r\n\tindented y\r\n\"unclosed z\r\nREADME.TXT second one loses\r\n"
                        "lf.txt ends with LF\nmixed.txt CR only\rlast.txt no line end");
    ASSERT_TRUE(read(path(L"d.ion")));
    EXPECT_EQ(entries(), L"readme.txt=Read this first;my file.doc=Version 2;lf.txt=ends with LF;"
                         L"mixed.txt=CR only;last.txt=no line end;");
    EXPECT_EQ(stored_name(), path(L"d.ion"));

    // A missing file is a folder without descriptions; other failures give False and no name.
    ASSERT_TRUE(read(path(L"none.ion")));
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(stored_name(), path(L"none.ion"));
    tavrin::unique_handle held(CreateFileW(path(L"d.ion").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    for (const std::wstring& bad : {path(L"d.ion"), path(L"no folder\\d.ion"), folder, std::wstring()}) {
        EXPECT_FALSE(read(bad)) << std::string(bad.begin(), bad.end());
        EXPECT_EQ(stored_name(), L"");
    }
    held.reset();

    // A folder without Descript.ion: read, add, write back with no argument.
    VARIANT_BOOL ok = no;
    EXPECT_EQ(model->ReadDirectoryFile(unique_bstr(folder).get(), &ok), S_OK);
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(stored_name(), path(L"Descript.ion"));
    add(L"new.txt", L"made here");
    EXPECT_EQ(model->WriteDirectoryFile(nullptr, &ok), S_OK);
    EXPECT_EQ(ok, yes);
    EXPECT_EQ(get(path(L"Descript.ion")), "new.txt made here\r\n");
    EXPECT_EQ(attributes(path(L"Descript.ion")), DWORD(FILE_ATTRIBUTE_HIDDEN));
}

// A file of blank lines costs memory by its entries, not by its lines: 10 MiB of CR bytes around
// two entries are the kept text and little more.
TEST_F(Descriptions, AFileOfBlankLinesCostsTheMemoryOfItsEntries) {
    put(path(L"blank.ion"), "first.txt one\r" + Bytes(10 << 20, '\r') + "last.txt two\r\n");
    const long long grown = test_support::growth_over([&] { ASSERT_TRUE(read(path(L"blank.ion"))); }).bytes;
    EXPECT_EQ(entries(), L"first.txt=one;last.txt=two;");
    EXPECT_LT(grown, 16ll << 20);
}

TEST_F(Descriptions, WritingIsByteExactAndLeavesAHiddenFile) {
    EXPECT_FALSE(write()) << "no name given and none read";
    EXPECT_TRUE(names().empty()) << "and nothing created";

    const std::wstring file = path(L"Descript.ion");
    EXPECT_TRUE(write(file)) << "an empty model";
    EXPECT_EQ(get(file), "");
    EXPECT_EQ(attributes(file), DWORD(FILE_ATTRIBUTE_HIDDEN));

    add(L"readme.txt", L"Read this first");
    add(L"my file.doc", L"Version 2");
    add(L"lines.txt", L"one\r\ntwo\nthree");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(write(file)) << "over a read-only, hidden, system file";
    const Bytes expected = "readme.txt Read this first\r\n\"my file.doc\" Version 2\r\nlines.txt one  two three\r\n";
    EXPECT_EQ(get(file), expected);
    EXPECT_EQ(attributes(file), DWORD(FILE_ATTRIBUTE_HIDDEN));

    // The line breaks became spaces: the next read finds the same three entries and no bogus one,
    // and writing them back changes no byte.
    ASSERT_TRUE(read(file));
    EXPECT_EQ(entries(), L"readme.txt=Read this first;my file.doc=Version 2;lines.txt=one  two three;");
    EXPECT_TRUE(write());
    EXPECT_EQ(get(file), expected);
    EXPECT_EQ(stored_name(), file) << "writing does not change the stored name";

    EXPECT_FALSE(write(folder)) << "a folder is not a description file";
    EXPECT_FALSE(write(path(L"no folder\\Descript.ion")));
}

TEST_F(Descriptions, AWriteFailingHalfWayLeavesTheOldFile) {
    const std::wstring file = path(L"Descript.ion");
    const Bytes old = "keep.txt the old description\r\n";
    put(file, old);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    brindle::descriptions::description_list list;
    for (int i = 0; i < 1000; ++i) list.add_new(L"file" + std::to_wstring(i) + L".txt", L"a new description");

    int calls = 0;
    brindle::files::file_platform half_then_fail = brindle::files::default_platform();
    half_then_fail.write = [&](HANDLE h, const void* data, DWORD size, DWORD* written) {
        if (++calls > 1) {
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        return ::WriteFile(h, data, size / 2, written, nullptr);
    };
    brindle::files::platform_override failing(half_then_fail);
    EXPECT_EQ(brindle::descriptions::write_description_file(file.c_str(), list), DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(calls, 2) << "the first half was written before the failure";
    EXPECT_EQ(get(file), old);
    EXPECT_EQ(attributes(file), DWORD(FILE_ATTRIBUTE_HIDDEN)) << "the old attributes are back";
    EXPECT_EQ(names(), std::vector<std::wstring>{L"Descript.ion"}) << "no temporary file left behind";
}

// The child of the test below: reads the shared description file, adds an entry of its own and
// writes it back, a hundred times; it counts the reads that failed or lost one of the entries
// nobody touches.
TEST_F(Descriptions, DISABLED_WriterChild) {
    const std::wstring file = test_support::child_target();
    if (file.empty()) GTEST_SKIP();
    const std::wstring role = test_support::child_role();
    int bad = 0;
    for (int i = 0; i < 100; ++i) {
        bad += !read(file) || count() < 100 || description_of(L"kept99.txt") != L"untouched";
        add((role + L"_" + std::to_wstring(i) + L".txt").c_str(), L"added");
        bad += !write();
    }
    std::exit(bad);
}

// Two programs editing one description file at once: however their writes interleave, neither
// ever finds the file missing, and no entry that neither of them touched is lost.
TEST_F(Descriptions, TwoWritersAtOnceLoseNoEntryTheyDidNotTouch) {
    const std::wstring file = path(L"Descript.ion");
    for (int i = 0; i < 100; ++i) add((L"kept" + std::to_wstring(i) + L".txt").c_str(), L"untouched");
    ASSERT_TRUE(write(file));
    const std::vector<DWORD> codes =
        test_support::run_children(L"Descriptions.DISABLED_WriterChild", file, {L"one", L"two"});
    EXPECT_EQ(codes, (std::vector<DWORD>{0, 0})) << "reads or writes that failed, or found an untouched entry gone";
    ASSERT_TRUE(read(file));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(description_of((L"kept" + std::to_wstring(i) + L".txt").c_str()), L"untouched") << i;
    EXPECT_EQ(names(), std::vector<std::wstring>{L"Descript.ion"});
}

TEST_F(Descriptions, RussianNamesRoundTripInOem866) {
    if (GetACP() != 1251 || GetOEMCP() != 866) GTEST_SKIP() << "needs ANSI 1251 and OEM 866 (LC_ALL=ru_RU.UTF-8)";
    const std::wstring file = path(L"Descript.ion");
    put(file, "plain.txt read from an ASCII file\r\n");
    ASSERT_TRUE(read(file));
    add(L"\x041E\x0442\x0447\x0451\x0442 \x0428.doc", L"\x0427\x0435\x0440\x043D\x043E\x0432\x0438\x043A");  // "Отчёт Ш.doc" Черновик
    ASSERT_TRUE(write(file));
    EXPECT_EQ(get(file), "plain.txt read from an ASCII file\r\n"
                         "\"\x8E\xE2\xE7\xF1\xE2 \x98.doc\" \x97\xA5\xE0\xAD\xAE\xA2\xA8\xAA\r\n");
    ASSERT_TRUE(read(file));
    EXPECT_EQ(description_of(L"\x043E\x0442\x0447\x0401\x0442 \x0448.DOC"), L"\x0427\x0435\x0440\x043D\x043E\x0432\x0438\x043A")
        << "found without regard to case, also of Cyrillic letters";
}

// Every byte outside ASCII reads, and writes back, exactly as the support library's conversions
// take it (the bytes as ANSI text, then from OEM to ANSI; the other way round on writing), in
// whatever code pages the test runs with (also as a Russian user, through the filter).
TEST_F(Descriptions, RussianAndEveryOtherByteConvertAsTheSupportLibraryDoes) {
    auto chain_read = [](const Bytes& bytes) {
        tavrin::unique_safearray array = tavrin::make_byte_array(bytes.size());
        {
            tavrin::safearray_lock lock(array.get());
            std::memcpy(lock.data(), bytes.data(), bytes.size());
        }
        unique_bstr ansi, text;
        EXPECT_HRESULT_SUCCEEDED(tsStrConvW(array.get(), ansi.put()));
        EXPECT_HRESULT_SUCCEEDED(tsOemToAnsi(ansi.get(), text.put()));
        return std::wstring(text.view());
    };
    auto chain_write = [](const std::wstring& text) {
        unique_bstr in(text), oem;
        tavrin::unique_safearray array;
        EXPECT_HRESULT_SUCCEEDED(tsAnsiToOem(in.get(), oem.put()));
        EXPECT_HRESULT_SUCCEEDED(tsStrConvB(oem.get(), array.put()));
        tavrin::safearray_lock lock(array.get());
        return Bytes(lock.data<const char>(), lock.count());
    };
    Bytes high;
    for (int b = 0x80; b < 0x100; ++b) high += static_cast<char>(b);
    const std::wstring file = path(L"Descript.ion");
    put(file, "every.bin " + high + "\r\n");
    ASSERT_TRUE(read(file));
    EXPECT_EQ(description_of(L"every.bin"), chain_read(high));

    // A no-break space and letters outside ASCII, all of them in the OEM code page (names it
    // cannot hold get no entry).
    const wchar_t* name = GetOEMCP() == 866 ? L"\x041E\x0442\x0447\x0451\x0442\x00A0.doc" : L"caf\x00E9\x00A0.doc";
    add(name, L"\x0427\x0435\x0440\x043D\x043E\x0432\x0438\x043A \x20AC \x00FC");
    ASSERT_TRUE(write(file));
    const Bytes written = get(file);
    const std::size_t second = written.find("\r\n") + 2;
    EXPECT_EQ(written.substr(0, second), chain_write(L"every.bin " + chain_read(high) + L"\r\n"));
    // The name is quoted when its OEM form holds a blank.
    unique_bstr ansi_name(name), oem_name;
    ASSERT_HRESULT_SUCCEEDED(tsAnsiToOem(ansi_name.get(), oem_name.put()));
    std::wstring line = oem_name.view().find(L' ') != std::wstring_view::npos ? L"\"" + std::wstring(name) + L"\"" : std::wstring(name);
    EXPECT_EQ(written.substr(second),
              chain_write(line + L" \x0427\x0435\x0440\x043D\x043E\x0432\x0438\x043A \x20AC \x00FC\r\n"));
}

// The model against a plain list under many random changes: entries read from ASCII bytes, from
// bytes of the OEM code page (where it is a single-byte one) and entries added as UTF-16 mix,
// names repeat in other cases, removals come from anywhere, and the index grows and shrinks on
// the way.
TEST(DescriptionList, StaysInStepWithAPlainListUnderRandomChanges) {
    using brindle::descriptions::text_ref;
    brindle::descriptions::description_list list;
    std::vector<std::pair<std::wstring, std::wstring>> plain;
    auto upper = [](std::wstring s) {
        tavrin::fold_upper_case(s.data(), s.size());
        return s;
    };
    auto find = [&](const std::wstring& name) {
        for (std::size_t i = 0; i < plain.size(); ++i)
            if (upper(plain[i].first) == upper(name)) return long(i);
        return -1L;
    };
    // Names n0..n299 in lower case, as a read file would give them; every third one ends in a
    // small letter outside ASCII, a byte read through the OEM table.
    const brindle::descriptions::byte_table* oem = brindle::descriptions::oem_byte_table();
    int small = 0;
    for (int b = 0x80; oem && !small && b < 0x100; ++b)
        if (oem->folded[b] != oem->text[b]) small = b;
    const std::wstring letters = small ? std::wstring{oem->text[small], oem->folded[small]} : L"\x0451";
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += "n" + std::to_string(i) + (small && i % 3 == 0 ? std::string(1, char(small)) : "") + " d" +
                 std::to_string(i) + "\n";
    const std::string_view kept = list.keep(bytes);
    brindle::text::for_each_line(kept, [&](std::string_view line) {
        std::size_t space = line.find(' ');
        std::string_view name = line.substr(0, space), description = line.substr(space + 1);
        plain.emplace_back(std::wstring(name.begin(), name.end()), std::wstring(description.begin(), description.end()));
        if (name.back() == char(small)) {
            EXPECT_TRUE(list.add_kept(text_ref::bytes(name), text_ref::bytes(description)));
            plain.back().first.back() = oem->text[small];
        } else {
            EXPECT_TRUE(list.add_kept(name, description));
        }
    });
    EXPECT_FALSE(list.add_kept(std::string_view("N7"), std::string_view("x"))) << "the first entry of a name wins";
    if (small) {
        EXPECT_EQ(list.find(L"N3" + std::wstring(1, oem->folded[small])), list.at(3)) << "found in the other case";
    }

    unsigned seed = 12345;
    auto next = [&seed](unsigned n) { seed = seed * 1103515245u + 12345u; return (seed >> 8) % n; };
    std::wstring a, b;
    for (int step = 0; step < 4000; ++step) {
        std::wstring name = (next(2) ? L"N" : L"n") + std::to_wstring(next(400));
        if (next(4) == 0) name += letters[next(unsigned(letters.size()))];
        switch (next(4)) {
        case 0: {
            std::wstring text = L"t" + std::to_wstring(step);
            list.assign(name, text);
            if (long at = find(name); at >= 0) plain.erase(plain.begin() + at);
            plain.emplace_back(name, text);
            break;
        }
        case 1: {
            long at = find(name);
            EXPECT_EQ(list.remove(name), at >= 0);
            if (at >= 0) plain.erase(plain.begin() + at);
            break;
        }
        case 2: {
            long at = long(next(unsigned(plain.size()) + 2)) - 1;
            bool inside = at >= 0 && at < long(plain.size());
            EXPECT_EQ(list.remove_at(at), inside);
            if (inside) plain.erase(plain.begin() + at);
            break;
        }
        default: {
            long at = find(name);
            const auto* entry = list.find(upper(name));
            ASSERT_EQ(entry != nullptr, at >= 0) << step;
            if (entry) {
                EXPECT_EQ(std::wstring(entry->description.wide(a)), plain[std::size_t(at)].second);
            }
        }
        }
        ASSERT_EQ(list.size(), plain.size()) << step;
    }
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(std::wstring(list.at(long(i))->name.wide(a)), plain[i].first) << i;
        EXPECT_EQ(std::wstring(list.at(long(i))->description.wide(b)), plain[i].second) << i;
    }
}

// ---- the description corpus -----------------------------------------------------------------

struct corpus_file {
    const char* name;
    long entries;  // counted independently of this code
    bool exact;    // already in the written form: a rewrite gives the same bytes
};
const corpus_file corpus[] = {
    {"001", 9, true},    {"002", 20, true},   {"003", 221, false}, {"004", 242, true},  {"005", 198, true},
    {"006", 4, false},   {"007", 23, true},   {"008", 3, false},   {"009", 2, false},   {"010", 190, false},
    {"011", 6, false},   {"012", 53, false},  {"013", 33, false},  {"014", 3, false},   {"015", 7, false},
    {"016", 4, false},   {"017", 53, true},   {"018", 36, false},  {"019", 7, false},   {"020", 4, false},
    {"021", 35, false},  {"022", 132, false}, {"023", 32, false},  {"024", 7, true},    {"025", 111, false},
    {"026", 1, true},    {"027", 202, false}, {"028", 256, false}, {"029", 25, false},  {"030", 7, false},
    {"031", 13, false},  {"032", 6, true},    {"033", 6, true},    {"034", 6, true},    {"035", 132, true},
    {"036", 190, true},  {"037", 7, false},   {"038", 36, true},   {"039", 55, false},  {"040", 278, false},
};

// The corpus folder the build found, as a Windows path.
std::wstring corpus_folder() {
    const char* unix_path = std::getenv("TAVRIN_DESCRIPT_CORPUS");
    if (!unix_path || !*unix_path) return {};
    std::wstring out = L"Z:";
    for (const char* p = unix_path; *p; ++p) out.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
    return GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : out;
}

TEST_F(Descriptions, EveryCorpusFileReadsAndRewritesLosingOnlyWhatTheFormatCannotHold) {
    const std::wstring source = corpus_folder();
    if (source.empty()) GTEST_SKIP() << "the description corpus (../shared/corpus/descript) was not found at build time";
    for (const corpus_file& c : corpus) {
        SCOPED_TRACE(c.name);
        const std::wstring original = source + L"\\" + std::wstring(c.name, c.name + 3) + L".ion";
        const std::wstring copy = path(L"rewritten.ion");
        ASSERT_TRUE(read(original));
        const std::wstring first = entries();
        EXPECT_EQ(count(), c.entries);
        ASSERT_TRUE(write(copy));
        const Bytes rewritten = get(copy);
        if (c.exact) {
            EXPECT_TRUE(rewritten == get(original)) << "a file in the written form comes back byte for byte";
        }

        // What was written is every entry, one CR LF line each, and reads back as the same entries.
        std::size_t lines = 0, bare_line_ends = 0;
        for (std::size_t i = 0; i < rewritten.size(); ++i) {
            if (rewritten[i] == '\n' && i > 0 && rewritten[i - 1] == '\r') ++lines;
            else if (rewritten[i] == '\n' || (rewritten[i] == '\r' && (i + 1 == rewritten.size() || rewritten[i + 1] != '\n')))
                ++bare_line_ends;
        }
        EXPECT_EQ(lines, std::size_t(c.entries));
        EXPECT_EQ(bare_line_ends, 0u);
        ASSERT_TRUE(read(copy));
        EXPECT_TRUE(entries() == first);
        ASSERT_TRUE(write(copy));
        EXPECT_TRUE(get(copy) == rewritten) << "a second rewrite changes nothing";
    }
    // The Cyrillic entries of a file in OEM 866 read as Cyrillic on a Russian system.
    if (GetOEMCP() == 866) {
        ASSERT_TRUE(read(source + L"\\001.ion"));
        EXPECT_EQ(description_of(L"\x0418\x0422\x041E\x0413\x0418.THT"),  // ИТОГИ.THT
                  L"\x0448\x0430\x0431\x043B\x043E\x043D \x0441\x0443\x043C\x043C\x044B \x0438\x0433\x0440");
        EXPECT_EQ(description_of(L"ru gnu gpl").substr(0, 7), L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439");
    }
}

}  // namespace
