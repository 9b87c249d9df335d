#include "csv_reader.h"

#include "value_recognition.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const wchar_t notText[] = L"not a text file";

// Copies of the texts a column repeats, which stay while the read goes on.
class ByteArena {
public:
    std::string_view Copy(const char* bytes, size_t size) {
        if (size > room) {
            const size_t block = size > 65536 ? size : 65536;
            blocks.emplace_back(new char[block]);
            next = blocks.back().get();
            room = block;
        }
        std::memcpy(next, bytes, size);
        const std::string_view copy(next, size);
        next += size;
        room -= size;
        return copy;
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks;
    char* next = nullptr;
    size_t room = 0;
};

// One text for each distinct field of a column: less memory, and the control knows a text it
// met at the same address without reading it again. A column that hardly repeats stops asking.
class ColumnTexts {
public:
    static constexpr size_t most = 65536;
    BSTR* Find(std::string_view bytes) {
        if (full)
            return nullptr;
        const auto found = texts.find(bytes);
        return found == texts.end() ? nullptr : &found->second;
    }
    void Add(std::string_view bytes, BSTR text, ByteArena& arena) {
        if (full)
            return;
        if (texts.size() >= most) {
            full = true;
            texts = {};
            return;
        }
        texts.emplace(arena.Copy(bytes.data(), bytes.size()), text);
    }

private:
    std::unordered_map<std::string_view, BSTR> texts;
    bool full = false;
};

// Fields end at a comma or a line break; a quote or a NUL byte needs a closer look.
struct Specials {
    bool table[256] = {};
    Specials() {
        for (unsigned char c : {',', '\n', '\r', '"', '\0'})
            table[c] = true;
    }
};
const Specials specials;

// UTF-8 bytes as UTF-16 into a string of the given length; false for bytes that are not UTF-8.
bool Widen(const char* bytes, size_t size, BSTR& text) {
    bool ascii = true;
    for (size_t i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii) {
        text = SysAllocStringLen(nullptr, static_cast<UINT>(size));
        if (text)
            for (size_t i = 0; i < size; ++i)
                text[i] = static_cast<wchar_t>(bytes[i]);
        return true;
    }
    const int length = static_cast<int>(size);
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (wide <= 0)
        return false;
    text = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (text)
        MultiByteToWideChar(CP_UTF8, 0, bytes, length, text, wide);
    return true;
}

void SetText(VARIANT& cell, BSTR text) {
    V_VT(&cell) = VT_BSTR;
    V_BSTR(&cell) = text;
}

class CsvBuilder {
public:
    CsvBuilder(DataGrid& grid, CsvReport& report, const CsvProgress& progress)
        : grid(grid), report(report), progress(progress) {}
    bool Run(const char* bytes, size_t size);

private:
    bool Fail(const wchar_t* message, int atLine) {
        report.error = message;
        report.line = atLine;
        return false;
    }
    bool ReadField(const char*& p, const char* end, std::string_view& field, bool& quoted);
    bool Store(size_t column, std::string_view field, bool quoted);
    bool StoreText(VARIANT& cell, size_t column, std::string_view field, bool quoted);
    bool EndRecord(size_t fields);
    void Tell(const char* p, const char* start, size_t size);

    DataGrid& grid;
    CsvReport& report;
    const CsvProgress& progress;
    std::vector<ColumnTexts> columnTexts;
    ByteArena arena;
    std::string scratch; // a quoted field without its quotes
    BSTR empty = nullptr;
    size_t headerFields = 0;
    bool header = true;
    LONG record = 0;
    int line = 1;
    int nextPercent = 0;
};

// One field from p on; p stops at the comma or line break after it, or at the end.
bool CsvBuilder::ReadField(const char*& p, const char* end, std::string_view& field, bool& quoted) {
    const char* start = p;
    while (p < end && !specials.table[static_cast<unsigned char>(*p)])
        ++p;
    quoted = p < end && *p == '"';
    if (!quoted) {
        field = std::string_view(start, static_cast<size_t>(p - start));
        return p == end || *p != '\0' || Fail(notText, line);
    }
    scratch.assign(start, p);
    bool inside = false;
    int quoteLine = line;
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '\0')
            return Fail(notText, line);
        if (c == '"') {
            if (inside && p + 1 < end && p[1] == '"')
                scratch += *++p;
            else
                inside = !inside, quoteLine = line;
            continue;
        }
        if (!inside && (c == ',' || c == '\n' || c == '\r'))
            break;
        line += c == '\n' || (c == '\r' && (p + 1 == end || p[1] != '\n'));
        scratch += c;
    }
    if (inside)
        return Fail(L"a quoted field is never closed", quoteLine);
    field = scratch;
    return true;
}

bool CsvBuilder::StoreText(VARIANT& cell, size_t column, std::string_view field, bool quoted) {
    BSTR text = nullptr;
    if (field.empty()) {
        text = empty;
    } else if (BSTR* known = quoted ? nullptr : columnTexts[column].Find(field)) {
        text = *known;
    } else {
        if (!Widen(field.data(), field.size(), text))
            return Fail(notText, line);
        if (!text)
            return Fail(L"not enough memory for the records", line);
        grid.AdoptText(text);
        if (!quoted)
            columnTexts[column].Add(field, text, arena);
    }
    SetText(cell, text);
    return true;
}

bool CsvBuilder::Store(size_t column, std::string_view field, bool quoted) {
    if (header) {
        BSTR label = nullptr;
        if (!Widen(field.data(), field.size(), label))
            return Fail(notText, line);
        grid.labels.emplace_back(label ? label : L"", label ? SysStringLen(label) : 0);
        SysFreeString(label);
        return true;
    }
    if (record >= grid.Records() && !grid.Resize(grid.Records() * 2))
        return Fail(L"not enough memory for the records", line);
    // A record longer than any before widens the grid, this record's first fields kept.
    if (column >= static_cast<size_t>(grid.Columns())) {
        const LONG before = grid.Columns();
        if (!grid.Widen(static_cast<LONG>(column + 1), record + 1))
            return Fail(L"not enough memory for the records", line);
        columnTexts.resize(column + 1);
        for (LONG r = 0; r < record; ++r) // blank in the records before, as missing fields are
            for (LONG c = before; c < grid.Columns(); ++c)
                SetText(grid.Cells()[static_cast<size_t>(r) * grid.Columns() + c], empty);
    }
    VARIANT& cell = grid.Cells()[static_cast<size_t>(record) * grid.Columns() + column];
    return RecognizeField(field.data(), field.size(), &cell) ||
           StoreText(cell, column, field, quoted);
}

bool CsvBuilder::EndRecord(size_t fields) {
    if (header) {
        header = false;
        headerFields = fields;
        columnTexts.resize(fields);
        return grid.Widen(static_cast<LONG>(fields), 0) ||
               Fail(L"not enough memory for the records", line);
    }
    report.shorterRecords += fields < headerFields;
    report.longerRecords += fields > headerFields;
    // Missing fields show blank, as empty ones do.
    VARIANT* cells = grid.Cells() + static_cast<size_t>(record) * grid.Columns();
    for (size_t c = fields; c < static_cast<size_t>(grid.Columns()); ++c)
        SetText(cells[c], empty);
    ++record;
    return true;
}

void CsvBuilder::Tell(const char* p, const char* start, size_t size) {
    const int percent = static_cast<int>((p - start) * 100.0 / size);
    if (percent >= nextPercent) {
        progress(percent);
        nextPercent = percent + 1;
    }
}

bool CsvBuilder::Run(const char* bytes, size_t size) {
    const char* p = bytes;
    const char* end = bytes + size;
    // Line breaks bound the records from above; quoted ones only make fewer.
    size_t breaks = 0;
    for (const char* at = p; (at = static_cast<const char*>(std::memchr(at, '\n', end - at))); ++at)
        ++breaks;
    if (breaks == 0)
        for (const char* at = p; (at = static_cast<const char*>(std::memchr(at, '\r', end - at)));
             ++at)
            ++breaks;
    empty = SysAllocStringLen(nullptr, 0);
    if (!empty || !grid.Create(1, static_cast<LONG>(breaks + 1)))
        return Fail(L"not enough memory for the records", 0);
    grid.AdoptText(empty);
    const bool tell = progress && size >= csvProgressBytes;
    while (p < end) {
        if (tell)
            Tell(p, bytes, size);
        size_t fields = 0;
        for (;;) {
            std::string_view field;
            bool quoted = false;
            if (!ReadField(p, end, field, quoted))
                return false;
            const bool last = p == end || *p != ',';
            // A line with no text at all is no record.
            if (fields == 0 && last && field.empty() && !quoted)
                break;
            if (!Store(fields++, field, quoted))
                return false;
            if (last)
                break;
            ++p;
        }
        if (fields > 0 && !EndRecord(fields))
            return false;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
        ++line;
    }
    if (record == 0)
        return Fail(L"the file holds no records", 0);
    if (!grid.Resize(record))
        return Fail(L"not enough memory for the records", 0);
    if (tell)
        progress(100);
    return true;
}

// UTF-16 after its byte-order mark, as UTF-8 for the reader; false for a NUL character or an odd
// byte.
bool Utf16AsUtf8(const char* bytes, size_t size, bool bigEndian, std::string& utf8) {
    if (size % 2)
        return false;
    std::wstring units(size / 2, L'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
        units[i] = static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
        if (!units[i])
            return false;
    }
    if (units.empty())
        return true;
    const int length = static_cast<int>(units.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, units.data(), length, nullptr, 0, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(count));
    return count > 0 && WideCharToMultiByte(CP_UTF8, 0, units.data(), length, &utf8[0], count,
                                            nullptr, nullptr) == count;
}

// Closes what it holds.
struct Handle {
    HANDLE value;
    ~Handle() {
        if (value && value != INVALID_HANDLE_VALUE)
            CloseHandle(value);
    }
};

} // namespace

bool ReadCsvBytes(const char* bytes, size_t size, DataGrid& grid, CsvReport& report,
                  const CsvProgress& progress) {
    report = CsvReport();
    grid.labels.clear();
    std::string converted;
    const bool little = size >= 2 && std::memcmp(bytes, "\xFF\xFE", 2) == 0;
    const bool big = size >= 2 && std::memcmp(bytes, "\xFE\xFF", 2) == 0;
    if (little || big) {
        if (!Utf16AsUtf8(bytes + 2, size - 2, big, converted)) {
            report.error = notText;
            grid.Create(0, 0);
            return false;
        }
        bytes = converted.data();
        size = converted.size();
    } else if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
        bytes += 3;
        size -= 3;
    }
    CsvBuilder builder(grid, report, progress);
    if (builder.Run(bytes, size))
        return true;
    grid.Create(0, 0);
    grid.labels.clear();
    return false;
}

bool ReadCsvFile(const std::wstring& path, DataGrid& grid, CsvReport& report,
                 const CsvProgress& progress) {
    report = CsvReport();
    Handle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    LARGE_INTEGER size = {};
    if (file.value == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.value, &size)) {
        report.error = L"the file cannot be opened";
        return false;
    }
    if (size.QuadPart == 0)
        return ReadCsvBytes("", 0, grid, report, progress);
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) {
        report.error = L"the file is too large";
        return false;
    }
    Handle mapping{CreateFileMappingW(file.value, nullptr, PAGE_READONLY, 0, 0, nullptr)};
    const void* view =
        mapping.value ? MapViewOfFile(mapping.value, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        report.error = L"the file cannot be read";
        return false;
    }
    const bool read = ReadCsvBytes(static_cast<const char*>(view),
                                   static_cast<size_t>(size.QuadPart), grid, report, progress);
    UnmapViewOfFile(view);
    return read;
}
