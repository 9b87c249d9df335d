#include "ordering_support.h"

#include <random>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Texts built from pieces that the locale treats specially: case, accents, the "ae"
// ligature, punctuation and hyphens that are ignored or weighed lightly, digits, spaces.
std::vector<std::wstring> VariedTexts() {
    const wchar_t* pieces[] = {L"a",      L"A",      L"ae", L"\u00e6", L"AE", L"\u00c6", L"e",
                               L"\u00e9", L"E",      L"-",  L"'",      L" ",  L".",      L"1",
                               L"10",     L"9",      L"0",  L"z",      L"Z",  L"ss",     L"\u00df",
                               L"o",      L"\u00f6", L"_",  L"!",      L"co", L"op"};
    std::mt19937 random(7);
    std::vector<std::wstring> texts = {L"",      L"ae",     L"\u00e6", L"co-op", L"coop",
                                       L"co op", L"O'Neil", L"oneil",  L"10",    L"9",
                                       L"1.5",   L"Apple",  L"apple",  L"APPLE", L"\u00e4pple"};
    while (texts.size() < 260) {
        std::wstring text;
        const int length = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        texts.push_back(text);
    }
    return texts;
}

// Every pair of texts ordered through the store's comparison agrees in sign with lstrcmpA,
// both for the display texts and for the key texts, equal texts included.
void CheckAgainstPlatform() {
    const std::vector<std::wstring> texts = VariedTexts();
    std::vector<std::vector<TestVariant>> rows;
    for (const std::wstring& text : texts)
        rows.push_back({TestVariant::Str(text.c_str())});
    RecordStore store;
    LoadRows(store, rows);
    int equalPairs = 0;
    for (int32_t a = 0; a < store.recordCount; ++a) {
        for (int32_t b = 0; b < store.recordCount; ++b) {
            const char* textA = DisplayText(store.Cell(a, 0));
            const char* textB = DisplayText(store.Cell(b, 0));
            const int expected = Sign(lstrcmpA(textA, textB));
            equalPairs += expected == 0 && a != b && strcmp(textA, textB) != 0;
            ASSERT_EQ(Sign(store.CompareSortCells(a, b, 0)), expected) << textA << " / " << textB;
            ASSERT_EQ(Sign(store.CompareCells(a, b, 0, false)), expected)
                << textA << " / " << textB;
        }
    }
    EXPECT_GT(equalPairs, 0); // the set holds texts that differ in bytes yet compare equal
}

TEST(SortKeys, RanksOrderTextsAsThePlatformDoes) {
    CheckAgainstPlatform();
}

TEST(GermanSortKeys, RanksFollowTheUserLocale) {
    CheckAgainstPlatform();
}

TEST(SortKeys, DifferentTextsStillGoOnToTheValues) {
    RecordStore store;
    LoadRows(store, {{TestVariant::I4(10)},
                     {TestVariant::I4(9)},
                     {TestVariant::Str(L"\u00e6")},
                     {TestVariant::Str(L"ae")},
                     {TestVariant::Cy(10000)},
                     {TestVariant::R8(1000)}});
    EXPECT_GT(store.CompareSortCells(0, 1, 0), 0);    // "10" before "9" as text, 9 < 10 by value
    EXPECT_LT(store.CompareCells(0, 1, 0, false), 0); // grouping looks at the text alone
    EXPECT_EQ(store.CompareSortCells(2, 3, 0), 0);    // equal texts: the values are not asked
    EXPECT_GT(store.CompareSortCells(4, 5, 0), 0);    // currency after double, by type code
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{1, 0, 5, 4, 2, 3}));
}

} // namespace
