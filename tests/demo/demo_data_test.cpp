#include "csv_reader.h"
#include "data_grid.h"
#include "value_recognition.h"

#include "store/safe_array_builder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using Records = std::vector<CsvRecord>;

// Input to records; an unclosed quote is refused with its line and leaves the old records.
TEST(CsvSplit, FieldsRecordsQuotesAndLineBreaks) {
    const struct {
        const wchar_t* text;
        Records expected;
        int errorLine = 0;
    } cases[] = {
        {L"a,b,c\n1,2,3\n", {{L"a", L"b", L"c"}, {L"1", L"2", L"3"}}},
        {L"a,b\r\n1,2", {{L"a", L"b"}, {L"1", L"2"}}},
        {L"x\r\ry\r", {{L"x"}, {L"y"}}},
        {L"\"q,1\",\"say \"\"hi\"\"\"\n", {{L"q,1", L"say \"hi\""}}},
        {L"\"two\r\nlines\",z\n", {{L"two\r\nlines", L"z"}}},
        {L"a,,\n\n\nb", {{L"a", L"", L""}, {L"b"}}},
        {L"\"\",x", {{L"", L"x"}}},
        {L"", {}},
        {L"\n\r\n", {}},
        {L"a,b\n1,\"open\n2,3\n", {{L"old"}}, 2},
    };
    for (const auto& c : cases) {
        Records records{{L"old"}};
        CsvError error;
        EXPECT_EQ(SplitCsv(c.text, records, error), c.errorLine == 0) << c.text;
        EXPECT_EQ(records, c.expected) << c.text;
        EXPECT_EQ(error.line, c.errorLine) << c.text;
        EXPECT_EQ(error.message.empty(), c.errorLine == 0) << c.text;
    }
}

TEST(ValueRecognition, NumbersDatesEmptyAndText) {
    const double march14 = 45365; // 2024-03-14 as an automation date
    const struct {
        const wchar_t* text;
        VARTYPE type;
        double number; // the I4, R8 or DATE value
    } cases[] = {{L"", VT_EMPTY, 0},
                 {L"  ", VT_EMPTY, 0},
                 {L"42", VT_I4, 42},
                 {L" -7 ", VT_I4, -7},
                 {L"0", VT_I4, 0},
                 {L"2147483648", VT_R8, 2147483648.0},
                 {L"3.25", VT_R8, 3.25},
                 {L"1e3", VT_R8, 1000},
                 {L"2024-03-14", VT_DATE, march14},
                 {L"2024-03-14 09:30", VT_DATE, march14 + 9.5 / 24},
                 {L"2024-03-14T09:30:36", VT_DATE, march14 + (9.5 * 3600 + 36) / 86400},
                 {L"2024-02-29", VT_DATE, march14 - 14},
                 {L"2000-02-29", VT_DATE, 36585},
                 {L"2024/03/14", VT_DATE, march14},
                 {L"2024/03/14T09:30:36", VT_DATE, march14 + (9.5 * 3600 + 36) / 86400}};
    for (const auto& c : cases) {
        TestVariant value;
        const VARIANT& v = *value;
        ASSERT_TRUE(RecognizeValue(c.text, &value.Mutable())) << c.text;
        EXPECT_EQ(v.vt, c.type) << c.text;
        const double number = v.vt == VT_I4 ? v.lVal : v.vt == VT_R8 ? v.dblVal : v.date;
        EXPECT_NEAR(v.vt == VT_EMPTY ? 0 : number, c.number, 1e-9) << c.text;
    }
    // Almost numbers, days that do not exist and other date forms stay text.
    for (const wchar_t* text :
         {L"007", L"1.2.3", L"12 apples", L"-", L"1e", L"2023-02-29", L"1900-02-29", L"2024-13-01",
          L"2024-03-14 24:00", L"2024-03-14 9:30", L"2024-03-14x", L"2024/03-14", L"2024/14/03",
          L"14/03/2024"}) {
        TestVariant value;
        ASSERT_TRUE(RecognizeValue(text, &value.Mutable())) << text;
        ASSERT_EQ((*value).vt, VT_BSTR) << text;
        EXPECT_STREQ((*value).bstrVal, text);
    }
}

// The whole road of the bytes of a file: records, recognised cells and column kinds.
TEST(CsvGrid, BytesBecomeLabelsAndTypedCells) {
    std::vector<CsvRecord> csv;
    CsvError error;
    int reports = 0; // a short file tells no progress
    const CsvProgress count = [&](CsvStage, int) { ++reports; };
    ASSERT_TRUE(SplitCsv(DecodeCsvBytes("\xEF\xBB\xBFName,Amount,When\r\n"
                                        "\"Smith, J.\",12.5,2024-03-14 08:00\r\n"
                                        "\"two\nlines\"\r\n"
                                        "Lee,7,soon,extra\r\n"),
                         csv, error, count));
    DataGrid grid;
    ASSERT_TRUE(BuildCsvGrid(csv, grid, count));
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(grid.labels, CsvRecord({L"Name", L"Amount", L"When"}));
    EXPECT_EQ(std::make_pair(grid.Records(), grid.Columns()), std::make_pair(3L, 4L));
    std::vector<VARTYPE> types; // record by record; short records read empty
    for (LONG cell = 0; cell < 12; ++cell) {
        TestVariant v;
        ASSERT_TRUE(grid.Get(cell % 4, cell / 4, &v.Mutable()));
        types.push_back((*v).vt);
    }
    EXPECT_EQ(types, (std::vector<VARTYPE>{VT_BSTR, VT_R8, VT_DATE, VT_EMPTY, VT_BSTR, VT_EMPTY,
                                           VT_EMPTY, VT_EMPTY, VT_BSTR, VT_I4, VT_BSTR, VT_BSTR}));
    EXPECT_EQ(grid.KindOf(1), ColumnKind::Number);
    EXPECT_EQ(grid.KindOf(2), ColumnKind::Text);
    EXPECT_TRUE(grid.HasTimeOfDay());
}

// The file stays for the demo to load, which shows the progress of each stage (demo_large_csv).
TEST(CsvGrid, LongFileLoads) {
    FILE* file = std::fopen("large.csv", "wb");
    ASSERT_TRUE(file);
    std::fputs("Region,Order date,Amount,Shipped\n", file);
    for (int r = 0; r < 100000; ++r)
        std::fprintf(file, "Region %d,2024/%02d/%02d %02d:30,%d.25,%s\n", r % 5, 1 + r % 12,
                     1 + r % 28, r % 24, r % 997, r % 3 ? "Yes" : "No");
    ASSERT_EQ(std::fclose(file), 0);
    std::vector<CsvRecord> csv;
    CsvError error;
    DataGrid grid;
    EXPECT_FALSE(ReadCsvFile(L"absent.csv", csv, error) || error.message.empty());
    ASSERT_TRUE(ReadCsvFile(L"large.csv", csv, error));
    ASSERT_TRUE(BuildCsvGrid(csv, grid));
    EXPECT_EQ(std::make_pair(grid.Records(), grid.Columns()), std::make_pair(100000L, 4L));
    EXPECT_TRUE(grid.HasTimeOfDay()) << "the dates of the year-first form";
}

} // namespace
