#include "csv_reader.h"
#include "value_recognition.h"

#include "store/safe_array_builder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A cell as a short text: its type's letter and its value ("T:text", "I:7", "R:1.5", "D:45365").
std::wstring Described(const VARIANT& v) {
    const VARTYPE type = V_VT(&v);
    return type == VT_BSTR   ? L"T:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)))
           : type == VT_I4   ? L"I:" + std::to_wstring(V_I4(&v))
           : type == VT_R8   ? L"R:" + std::to_wstring(V_R8(&v))
           : type == VT_DATE ? L"D:" + std::to_wstring(V_DATE(&v))
                             : L"?" + std::to_wstring(type);
}

// Labels, then the cells record by record, each followed by '|'; then what the report says.
std::wstring Read(const std::string& bytes) {
    DataGrid grid;
    CsvReport report;
    std::wstring read;
    if (ReadCsvBytes(bytes.data(), bytes.size(), grid, report)) {
        for (const std::wstring& label : grid.labels)
            read += L"L:" + label + L"|";
        for (LONG r = 0; r < grid.Records(); ++r)
            for (LONG c = 0; c < grid.Columns(); ++c)
                read += Described(grid.At(c, r)) + L"|";
    }
    if (!report.error.empty() || report.line || report.shorterRecords || report.longerRecords)
        read += report.error + L" at line " + std::to_wstring(report.line) + L", " +
                std::to_wstring(report.shorterRecords) + L" shorter, " +
                std::to_wstring(report.longerRecords) + L" longer";
    return read;
}

// Little-endian, after its byte-order mark (demo_files reads a big-endian file).
std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text)
        bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// Bytes to labels and typed cells; what is not a readable table is refused with its reason.
TEST(CsvRead, BytesBecomeLabelsAndTypedCellsOrAReason) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"a,b,c\n1,2.5,2024-03-14\n", L"L:a|L:b|L:c|I:1|R:2.500000|D:45365.000000|"},
        {"\xEF\xBB\xBFq,r\r\n\"x,\"\"y\"\"\",\"two\r\nlines\"\r\r\n\n",
         L"L:q|L:r|T:x,\"y\"|T:two\r\nlines|"},
        {"a,b\r,x\r007,\"\"\r", L"L:a|L:b|T:|T:x|T:007|T:|"},
        // The grid is as wide as the longest record; the label missing reads nowhere.
        {"a,b\n1\n2,3,4\n", L"L:a|L:b|I:1|T:|T:|I:2|I:3|I:4| at line 0, 1 shorter, 1 longer"},
        {"h\n\xC3\xA9t\xC3\xA9\n", L"L:h|T:\u00e9t\u00e9|"},
        {Utf16(L"Name,Native\r\nGreece,\u0395\u03bb\u03bb\u03ac\u03b4\u03b1\r\nJapan,"
               L"\u65e5\u672c\r\n"),
         L"L:Name|L:Native|T:Greece|T:\u0395\u03bb\u03bb\u03ac\u03b4\u03b1|T:Japan|T:"
         L"\u65e5\u672c|"},
        {std::string("a,b\nx,\0y\n", 9), L"not a text file at line 2, 0 shorter, 0 longer"},
        {Utf16(std::wstring(L"a\nb\0c", 5)), L"not a text file at line 0, 0 shorter, 0 longer"},
        {"a,b,c\n\n", L"the file holds no records at line 0, 0 shorter, 0 longer"},
        {"a,b\n1,\"open\n2,3\n", L"a quoted field is never closed at line 2, 0 shorter, 0 longer"},
    };
    for (const auto& [bytes, read] : cases)
        EXPECT_EQ(Read(bytes), read) << bytes.substr(0, 24);
}

TEST(ValueRecognition, NumbersAndDatesOnTheBytes) {
    const double march14 = 45365; // 2024-03-14 as an automation date
    const struct {
        const char* text;
        VARTYPE type; // VT_EMPTY: stays text
        double number;
    } cases[] = {{" -7 ", VT_I4, -7},
                 {"0", VT_I4, 0},
                 {"2147483648", VT_R8, 2147483648.0},
                 {"0.1", VT_R8, 0.1},
                 {"1234567.891234567891", VT_R8, 1234567.891234567891},
                 {"1e3", VT_R8, 1000},
                 {"2024-03-14 09:30", VT_DATE, march14 + 9.5 / 24},
                 {"2024/03/14T09:30:36", VT_DATE, march14 + (9.5 * 3600 + 36) / 86400},
                 {"2000-02-29", VT_DATE, 36585},
                 {"1899-12-29 06:00", VT_DATE, -1.25},
                 {"007", VT_EMPTY, 0},
                 {"1.2.3", VT_EMPTY, 0},
                 {"-", VT_EMPTY, 0},
                 {"1e999", VT_EMPTY, 0},
                 {"2023-02-29", VT_EMPTY, 0},
                 {"2024-03-14 24:00", VT_EMPTY, 0},
                 {"2024-03-14 9:30", VT_EMPTY, 0},
                 {"2024/03-14", VT_EMPTY, 0},
                 {"14/03/2024", VT_EMPTY, 0}};
    for (const auto& c : cases) {
        TestVariant value;
        const VARIANT& v = *value;
        EXPECT_EQ(RecognizeField(c.text, std::strlen(c.text), &value.Mutable()), c.type != VT_EMPTY)
            << c.text;
        EXPECT_EQ(v.vt, c.type) << c.text;
        const double number = v.vt == VT_I4 ? v.lVal : v.vt == VT_R8 ? v.dblVal : v.date;
        EXPECT_DOUBLE_EQ(v.vt == VT_EMPTY ? 0 : number, c.number) << c.text;
    }
}

// The file stays for the demo to load, which shows how far the read has come (demo_large_csv).
TEST(CsvRead, LongFileLoads) {
    FILE* file = std::fopen("large.csv", "wb");
    ASSERT_TRUE(file);
    std::fputs("Region,Order date,Amount,Shipped\n", file);
    for (int r = 0; r < 100000; ++r)
        std::fprintf(file, "Region %d,2024/%02d/%02d %02d:30,%d.25,%s\n", r % 5, 1 + r % 12,
                     1 + r % 28, r % 24, r % 997, r % 3 ? "Yes" : "No");
    ASSERT_EQ(std::fclose(file), 0);
    DataGrid grid;
    CsvReport report;
    EXPECT_FALSE(ReadCsvFile(L"absent.csv", grid, report) || report.error.empty());
    ASSERT_TRUE(ReadCsvFile(L"large.csv", grid, report));
    EXPECT_EQ(std::make_pair(grid.Records(), grid.Columns()), std::make_pair(100000L, 4L));
    EXPECT_TRUE(grid.HasTimeOfDay()) << "the dates of the year-first form";
}

} // namespace
