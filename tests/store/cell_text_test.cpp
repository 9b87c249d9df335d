#include "ordering_support.h"
#include "store/cell_text.h"

#include <climits>
#include <cstdlib>
#include <iomanip>

namespace {

using namespace datetime;

constexpr char absent[] = "(absent)";

// The text, or the caption it groups under, of one value loaded through a real array.
std::string Loaded(const V& value, int32_t format, int32_t grouping, bool caption) {
    SafeArrayBuilder data = MakeColumn({value});
    RecordStore store;
    if (!store.SetData(data.get(), format, grouping, false) || store.recordCount != 1)
        return "(not loaded)";
    const wchar_t* text = caption ? store.Cell(0, 0).tag : store.Cell(0, 0).text;
    return text ? Utf8(text) : absent;
}

std::string TextOf(const V& value, int32_t format = flShortDate) {
    return Loaded(value, format, flDay, false);
}

std::string Tag(double date, int32_t format, int32_t grouping) {
    return Loaded(V::Date(date), format, grouping, true);
}

constexpr double nineThirty = 45365.0 + 9.5 / 24; // Thursday, 14 March 2024, 9:30

TEST(CellTexts, MarkersStringsTheStandardConversionAndCurrency) {
    // A string up to its NUL, outside the code page too, a date by reference as any value.
    double byReference = 45365.0;
    std::string shown;
    for (const V& value :
         {V(), V::Of(VT_NULL, 0), V::Of(VT_BSTR, SysAllocStringLen(L"left\0right", 10)),
          V::Str(L"Gr\u00fc\u00dfe"), V::Str(L"\u4e2d"), V::Of(VT_I8, LLONG_MIN), V::R8(1.0 / 3),
          V::Of(VT_R4, 1.0f / 3), V::Error(DISP_E_PARAMNOTFOUND),
          V::Of(VT_BYREF | VT_DATE, &byReference)})
        shown += TextOf(value, flLongDate) + "|";
    EXPECT_EQ(shown,
              "<EMPTY>|<NULL>|left|Gr\u00fc\u00dfe|\u4e2d|-9223372036854775808|0.333333333333333|"
              "0.3333333|(absent)|3/14/2024|");
    std::wstring wide(5000, L'x'); // long strings are not cut
    EXPECT_EQ(TextOf(V::Str((wide + L"y").c_str())), std::string(5000, 'x') + "y");
    // Currency exactly, the most negative too (grouping removed), decorated by the locale.
    std::string amounts;
    for (LONGLONG amount : {0LL, 12345LL, -50000LL, LLONG_MAX, LLONG_MIN}) {
        std::string text = TextOf(V::Cy(amount));
        text.erase(std::remove(text.begin(), text.end(), ','), text.end());
        amounts += text + " ";
    }
    EXPECT_EQ(amounts, "$0.00 $1.23 ($5.00) $922337203685477.58 ($922337203685477.58) ");
}

// The six formats; before 1.0 and out of range there is no date part, only the time.
TEST(CellTexts, Dates) {
    const std::tuple<double, int32_t, const char*> cases[] = {
        {nineThirty, flShortDate, "3/14/2024"},
        {nineThirty, flLongDate, "Thursday, March 14, 2024"},
        {nineThirty, flShortDateShortTime, "3/14/2024 9:30 AM"},
        {nineThirty, flShortDateLongTime, "3/14/2024 9:30:00 AM"},
        {nineThirty, flLongDateShortTime, "Thursday, March 14, 2024 9:30 AM"},
        {nineThirty, flLongDateLongTime, "Thursday, March 14, 2024 9:30:00 AM"},
        {0.5, flShortDateShortTime, "12:00 PM"},
        {1.0, flLongDateShortTime, "Sunday, December 31, 1899 12:00 AM"},
        {-1.25, flShortDate, "* * *"},
        {-1.25, flShortDateShortTime, "6:00 AM"},
        {2958465.0, flLongDateLongTime, "Friday, December 31, 9999 12:00:00 AM"},
        {36585.0 + 86399.0 / 86400, flLongDateLongTime, "Tuesday, February 29, 2000 11:59:59 PM"},
        // Times round to the nearest second, across midnight too.
        {45365.0 + 34259.6 / 86400, flShortDateLongTime, "3/14/2024 9:31:00 AM"},
        {45365.0 + 86399.8 / 86400, flShortDateLongTime, "3/15/2024 12:00:00 AM"}};
    for (auto [date, format, text] : cases)
        EXPECT_EQ(TextOf(V::Date(date), format), text) << date;
    for (int32_t format = flShortDate; format <= flLongDateLongTime; ++format)
        for (double date : {2958465.5, 2958465.0001, -657434.5, 1e300, -1e18, std::nan("")})
            EXPECT_EQ(TextOf(V::Date(date), format), "* * *") << format << " " << date;
}

TEST(DateCaptions, EveryGroupingUnit) {
    const std::tuple<double, int32_t, int32_t, const char*> cases[] = {
        // By hour: the date as the format has it (long or short) and the span of the hour.
        {V::DateOf(2024, 3, 14, 9, 30), flShortDate, flHour, "3/14/2024 9:00 AM - 9:59 AM"},
        {V::DateOf(2024, 3, 14, 15, 0), flLongDate, flHour,
         "Thursday, March 14, 2024 3:00 PM - 3:59 PM"},
        {V::DateOf(2024, 3, 14, 9, 59, 59), flShortDateLongTime, flHour,
         "3/14/2024 9:00:00 AM - 9:59:59 AM"},
        {V::DateOf(2024, 3, 14) + 35999.7 / 86400, flShortDate, flHour,
         "3/14/2024 10:00 AM - 10:59 AM"},
        {V::DateOf(1850, 1, 1, 6, 30), flShortDate, flHour, "6:00 AM - 6:59 AM"}, // no date part
        {2958465.5, flShortDate, flHour, "12:00 AM - 12:59 AM"},
        // By day, month, quarter and year.
        {V::DateOf(2024, 3, 14, 23, 59), flLongDateShortTime, flDay, "Thursday, March 14, 2024"},
        {V::DateOf(2024, 1, 31), flShortDate, flMonth, "2024 January"},
        {1.0, flShortDate, flYear, "1899"},
        {2958465.0, flShortDate, flYear, "9999"},
        {V::DateOf(100, 1, 2), flShortDate, flYear, "* * *"},
    };
    for (auto [date, format, grouping, caption] : cases)
        EXPECT_EQ(Tag(date, format, grouping), caption) << date << " " << grouping;
    // Out of range and time-only values have no date to group by.
    for (int32_t grouping : {flDay, flMonth, flQuarter, flYear})
        for (double date : {2958465.5, -657435.0, 0.75})
            EXPECT_EQ(Tag(date, flShortDateShortTime, grouping), "* * *") << grouping << date;
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(Tag(V::DateOf(2024, month, 15), flShortDate, flQuarter),
                  "2024 Q" + std::to_string((month + 2) / 3))
            << month;
    for (const V& other : {V::I4(2024), V::Str(L"2024")})
        EXPECT_EQ(Loaded(other, flShortDate, flYear, true), absent); // only dates have a caption
}

TEST(GermanTexts, NumbersDatesCurrencyAndCaptionsFollowTheUserLocale) {
    EXPECT_EQ(TextOf(V::R8(1.5)), "1,5");
    EXPECT_EQ(TextOf(V::Cy(12345)), "1,23 \u20ac");
    EXPECT_EQ(TextOf(V::Date(nineThirty), flShortDateShortTime), "14.3.2024 09:30");
    EXPECT_EQ(TextOf(V::Date(nineThirty), flLongDateLongTime),
              "Donnerstag, 14. M\u00e4rz 2024 09:30:00");
    EXPECT_EQ(Tag(V::DateOf(2024, 3, 14, 9, 30), flShortDate, flHour), "14.3.2024 09:00 - 09:59");
    EXPECT_EQ(Tag(V::DateOf(2024, 3, 14), flShortDate, flMonth), "2024 M\u00e4rz");
    EXPECT_EQ(Tag(V::DateOf(2024, 3, 14), flLongDate, flDay), "Donnerstag, 14. M\u00e4rz 2024");
}

// Kind and every byte of the payload, a string's beyond a NUL too.
bool SameValue(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt)
        return false;
    if (a.vt == VT_DECIMAL)
        return memcmp(&a.decVal, &b.decVal, sizeof(DECIMAL)) == 0;
    if (a.vt != VT_BSTR)
        return a.llVal == b.llVal;
    const UINT bytes = SysStringByteLen(a.bstrVal);
    return bytes == SysStringByteLen(b.bstrVal) && memcmp(a.bstrVal, b.bstrVal, bytes) == 0;
}

// Random reals where their text changes: whole or with a few decimals, halfway between two
// roundings, at or next to a power of ten, of any magnitude (the infinite too), each nudged a
// few steps either way; floats when single. Replay a failure with NORV_SEED.
std::vector<double> RandomReals(std::mt19937_64& random, bool single, int count) {
    const int digits = single ? 7 : 15;
    auto uniform = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::vector<double> reals;
    while (int(reals.size()) < count) {
        const int length = uniform(1, digits + 1);
        const double unit = std::ldexp(double(random() >> 11), -53), top = std::pow(10.0, length);
        const double mantissa = uniform(0, 3) ? std::floor(unit * top) : top - uniform(0, 1);
        const int exponent =
            uniform(0, 99) ? uniform(-digits - 8, 20 - length) : uniform(-330, 310);
        const double scale = std::pow(10.0, std::abs(exponent));
        double x = uniform(0, 2) ? mantissa : mantissa * 10 + 5; // or halfway one digit further
        x = exponent < 0 ? x / scale : x * scale; // the nearest real to the decimal, as text gives
        for (int steps = uniform(-3, 3) * uniform(0, 1); steps; steps += steps > 0 ? -1 : 1)
            x = single ? std::nextafter(float(x), steps > 0 ? 1e30f : -1e30f)
                       : std::nextafter(x, steps > 0 ? 1e300 : -1e300);
        if (single)
            x = float(x);
        reals.push_back(uniform(0, 1) ? -x : x);
    }
    return reals;
}

// Loaded reals read exactly as the runtime's own conversion writes them, in the user's locale.
void ExpectRealsAsTheRuntimeWritesThem() {
    const char* given = std::getenv("NORV_SEED");
    const unsigned seed = given ? unsigned(std::strtoul(given, nullptr, 10)) : 26;
    SCOPED_TRACE(testing::Message() << "NORV_SEED=" << seed);
    std::mt19937_64 random(seed);
    for (VARTYPE type : {VT_R8, VT_R4}) {
        const std::vector<double> reals = RandomReals(random, type == VT_R4, 100000);
        std::vector<V> values;
        for (double x : reals)
            values.push_back(type == VT_R4 ? V::Of(VT_R4, float(x)) : V::R8(x));
        RecordStore store;
        ASSERT_TRUE(store.SetData(MakeColumn(values).get(), flShortDate, flDay, false));
        int differing = 0;
        for (int32_t r = 0; r < store.recordCount; ++r) {
            V converted;
            ASSERT_HRESULT_SUCCEEDED(
                VariantChangeType(&converted.Mutable(), &values[r].Mutable(), 0, VT_BSTR));
            const std::string shown = Utf8(store.Cell(r, 0).text);
            const std::string expected = Utf8((*converted).bstrVal);
            if (shown != expected && ++differing <= 5)
                ADD_FAILURE() << std::setprecision(17) << reals[r] << ": shown " << shown
                              << ", the runtime writes " << expected;
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(RealTexts, AsTheRuntimeWritesThem) {
    ExpectRealsAsTheRuntimeWritesThem();
}

TEST(GermanRealTexts, AsTheRuntimeWritesThem) {
    ExpectRealsAsTheRuntimeWritesThem();
}

// Shared texts and strings read as each value formatted alone, in every format and unit.
TEST(SharedTexts, ReadAsEachValueFormattedAlone) {
    HostObject object([] {});
    std::vector<V> values; // two days of one month among the dates
    for (double date : {nineThirty, nineThirty + 1.0 / 86400, 45365.0, 45366.0, 0.25, -1.25, 3e6})
        values.push_back(V::Date(date));
    for (LONGLONG amount : {12345, -1, 0})
        values.push_back(V::Cy(amount));
    for (const V& value :
         {V::Str(L"Alpha"), V::Str(L""), V::Str(L"left"), V::As(VT_DECIMAL, L"2.50"), V::R8(2.5),
          V::Of(VT_R4, 2.5f), V::I4(-1), V::Of(VT_UI4, ~0u), V::Of(VT_I8, -1LL), V::I2(7), V::I4(0),
          V::R8(0), V::Bool(true), V::Bool(false), V::Of(VT_BSTR, SysAllocStringLen(L"left\0x", 6)),
          V::Of(VT_DISPATCH, static_cast<IDispatch*>(&object)), V::Error(DISP_E_PARAMNOTFOUND), V(),
          V::Of(VT_NULL, 0)})
        values.push_back(value);
    std::vector<std::vector<V>> rows(120);
    for (int r = 0; r < 120; ++r)
        for (int c = 0; c < 3; ++c) // repeats in every column, kinds mixed
            rows[r].push_back(values[(r * (c + 3) + c) % values.size()]);
    SafeArrayBuilder data = MakeVariantTable(rows);
    auto shown = [](const wchar_t* text) { return text ? Utf8(text) : absent; };
    for (int32_t format = flShortDate; format <= flLongDateLongTime; ++format)
        for (int32_t grouping = flHour; grouping <= flYear; ++grouping) {
            RecordStore store;
            ASSERT_TRUE(store.SetData(data.get(), format, grouping, false));
            TextArena arena;
            for (int32_t r = 0; r < store.recordCount; ++r)
                for (int32_t c = 0; c < store.columnCount; ++c) {
                    V element(rows[r][c]);
                    CellEntry alone{};
                    FormatCellText(alone, element.Mutable(), format, grouping, arena);
                    const CellEntry& cell = store.Cell(r, c);
                    SCOPED_TRACE(testing::Message()
                                 << "record " << r << " column " << c << " format " << format
                                 << " grouping " << grouping);
                    ASSERT_EQ(std::pair(shown(cell.text), shown(cell.tag)),
                              std::pair(shown(alone.text), shown(alone.tag)));
                    ASSERT_TRUE(SameValue(cell.value, *element));
                }
        }
}

} // namespace
