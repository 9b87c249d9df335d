#include "ordering_support.h"

namespace {

// Texts built from pieces that the locale treats specially: case, accents, the "ae"
// ligature, punctuation and hyphens that are ignored or weighed lightly, digits, spaces.
std::vector<std::vector<TestVariant>> VariedTexts() {
    const wchar_t* pieces[] = {L"a",      L"A",      L"ae", L"\u00e6", L"AE", L"\u00c6", L"e",
                               L"\u00e9", L"E",      L"-",  L"'",      L" ",  L".",      L"1",
                               L"10",     L"9",      L"0",  L"z",      L"Z",  L"ss",     L"\u00df",
                               L"o",      L"\u00f6", L"_",  L"!",      L"co", L"op"};
    std::vector<std::wstring> texts = {L"",      L"ae",     L"\u00e6", L"co-op", L"coop",
                                       L"co op", L"O'Neil", L"oneil",  L"10",    L"9",
                                       L"1.5",   L"Apple",  L"apple",  L"APPLE", L"\u00e4pple"};
    std::mt19937 random(7);
    while (texts.size() < 260) {
        std::wstring text;
        for (int i = 1 + static_cast<int>(random() % 5); i > 0; --i)
            text += pieces[random() % std::size(pieces)];
        texts.push_back(text);
    }
    std::vector<std::vector<TestVariant>> rows;
    for (const std::wstring& text : texts)
        rows.push_back({TestVariant::Str(text.c_str())});
    return rows;
}

// Every pair of texts ordered through the store's comparison agrees in sign with lstrcmpA,
// for the display texts and for the key texts, equal texts included.
void CheckAgainstPlatform() {
    RecordStore store;
    LoadRows(store, VariedTexts());
    int equalPairs = 0;
    for (int32_t a = 0; a < store.recordCount; ++a)
        for (int32_t b = 0; b < store.recordCount; ++b) {
            const char *textA = DisplayText(store.Cell(a, 0)),
                       *textB = DisplayText(store.Cell(b, 0));
            const int expected = Sign(lstrcmpA(textA, textB));
            equalPairs += expected == 0 && strcmp(textA, textB) != 0;
            ASSERT_EQ(std::pair(Sign(store.CompareSortCells(a, b, 0)),
                                Sign(store.CompareCells(a, b, 0, false))),
                      std::pair(expected, expected))
                << textA << " / " << textB;
        }
    EXPECT_GT(equalPairs, 0); // the set holds texts that differ in bytes yet compare equal
}

// The texts are stored in the system's code page whatever the thread's locale; a locale of
// another code page (Russian 1251, Japanese 932, here on a 1252 system) must not reorder them.
TEST(SortKeys, RanksOrderTextsAsThePlatformDoesInEveryThreadLocale) {
    const LCID original = GetThreadLocale();
    for (LCID locale : {original, MAKELCID(0x419, SORT_DEFAULT), MAKELCID(0x411, SORT_DEFAULT)}) {
        SCOPED_TRACE(locale);
        ASSERT_TRUE(SetThreadLocale(locale));
        CheckAgainstPlatform();
    }
    SetThreadLocale(original);
}

TEST(GermanSortKeys, RanksFollowTheUserLocale) {
    CheckAgainstPlatform();
}

} // namespace
