// How WindowSettings writes and reads its values, and how a filter becomes the dialog's list.
#include <gtest/gtest.h>

#include "outside/components/settings_format.h"

namespace tavrin::components {
namespace {

TEST(PlacementText, RoundTripsAndRejectsAnythingElse) {
    StoredPlacement p{3, Rect{-20, 15, 700, 480}};
    EXPECT_EQ(L"3,-20,15,700,480", format_placement(p));
    auto back = parse_placement(format_placement(p));
    ASSERT_TRUE(back);
    EXPECT_EQ(3, back->show);
    EXPECT_EQ(p.normal, back->normal);

    for (const wchar_t* bad : {L"", L"1,2,3,4", L"1,2,3,4,5,6", L"1,a,3,4,5", L"1,,3,4,5", L"1, 2,3,4,5",
                               L"1,10,10,10,20" /* no width */, L"1,10,30,20,20" /* inverted */,
                               L"-1,0,0,10,10", L"1,0,0,99999999999,10"})
        EXPECT_FALSE(parse_placement(bad)) << bad;
}

TEST(IntListText, ParsesSignedDecimalsOnly) {
    EXPECT_EQ(L"114,85,343", format_int_list({114, 85, 343}));
    EXPECT_EQ((std::vector<int>{114, -85, 0}), parse_int_list(L"114,-85,+0").value());
    EXPECT_FALSE(parse_int_list(L""));
    EXPECT_FALSE(parse_int_list(L"1,"));
    EXPECT_FALSE(parse_int_list(L"-"));
    EXPECT_FALSE(parse_int_list(L"0x10"));
}

TEST(SettingsKey, NamesTheProgramAndKeepsPartsInside) {
    EXPECT_EQ(L"Software\\Tavrin\\Pellmark", settings_key_path(L"Tavrin", L"Pellmark", L""));
    EXPECT_EQ(L"Software\\Tavrin\\Pellmark\\List views", settings_key_path(L"Tavrin", L"Pellmark", L"List views"));
    EXPECT_EQ(L"Software\\Tavrin\\Pellmark", settings_key_path(L"", L"Pellmark", L""));
    EXPECT_EQ(L"Software\\Tavrin\\.._.._Run", settings_key_path(L"Tavrin", L"..\\..\\Run", L""));
    EXPECT_EQ(L"", settings_key_path(L"Tavrin", L"", L"x"));
}

TEST(FitInto, MovesAndShrinksOntoTheWorkArea) {
    Rect work{0, 0, 1280, 1000};
    EXPECT_EQ((Rect{100, 100, 400, 300}), fit_into(Rect{100, 100, 400, 300}, work)) << "already inside";
    EXPECT_EQ((Rect{980, 800, 1280, 1000}), fit_into(Rect{3000, 2000, 3300, 2200}, work)) << "gone monitor right";
    EXPECT_EQ((Rect{0, 0, 300, 200}), fit_into(Rect{-2000, -900, -1700, -700}, work)) << "gone monitor left";
    EXPECT_EQ((Rect{0, 0, 1280, 1000}), fit_into(Rect{-50, -50, 3000, 3000}, work)) << "larger than the screen";
}

TEST(FilterText, BecomesTheDialogsPairList) {
    auto list = filter_to_dialog_list(L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*");
    ASSERT_TRUE(list);
    EXPECT_EQ(std::wstring(L"Таблицы (*.CSV)\0*.CSV\0Все файлы\0*.*\0\0", 37), *list);
    EXPECT_EQ(L"", filter_to_dialog_list(L"").value());
    EXPECT_FALSE(filter_to_dialog_list(L"Text|*.txt|All"));
    EXPECT_FALSE(filter_to_dialog_list(L"Text||All|*.*"));
    EXPECT_FALSE(filter_to_dialog_list(L"|"));
}

}  // namespace
}  // namespace tavrin::components
