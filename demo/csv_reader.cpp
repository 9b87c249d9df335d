#include "csv_reader.h"

#include <windows.h>

#include <algorithm>

namespace {

std::wstring Convert(UINT codePage, DWORD flags, const char* bytes, int length) {
    if (length == 0)
        return std::wstring();
    const int wide = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
    if (wide <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, flags, bytes, length, &text[0], wide);
    return text;
}

bool IsBlank(const CsvRecord& record) {
    return record.size() == 1 && record[0].empty();
}

} // namespace

void ProgressSteps::Tell(size_t done) {
    const size_t percent = (done < total ? done : total) * 100 / total;
    progress(stage, static_cast<int>(percent));
    next = ((percent + 1) * total + 99) / 100;
}

std::wstring DecodeCsvBytes(const std::string& bytes) {
    const char* start = bytes.data();
    size_t length = bytes.size();
    if (length >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start += 3;
        length -= 3;
    }
    const int count = static_cast<int>(length);
    if (length > 0 &&
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, start, count, nullptr, 0) == 0)
        return Convert(CP_ACP, 0, start, count);
    return Convert(CP_UTF8, 0, start, count);
}

bool SplitCsv(const std::wstring& text, std::vector<CsvRecord>& records, CsvError& error,
              const CsvProgress& progress) {
    const bool isLong = progress && static_cast<size_t>(std::count(text.begin(), text.end(),
                                                                   L'\n')) >= csvProgressRecords;
    ProgressSteps steps(isLong ? progress : nullptr, CsvStage::Splitting, text.size());
    std::vector<CsvRecord> result;
    CsvRecord record(1);
    int line = 1;
    int quoteLine = 0;
    bool quoted = false;
    auto endRecord = [&] {
        if (!IsBlank(record))
            result.push_back(std::move(record));
        record.assign(1, std::wstring());
    };
    for (size_t i = 0; i < text.size(); ++i) {
        steps.Reach(i);
        const wchar_t c = text[i];
        const bool lineBreak =
            c == L'\n' || (c == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n'));
        if (lineBreak)
            ++line;
        if (quoted) {
            if (c != L'"')
                record.back() += c;
            else if (i + 1 < text.size() && text[i + 1] == L'"')
                record.back() += text[++i];
            else
                quoted = false;
        } else if (c == L'"') {
            quoted = true;
            quoteLine = line;
        } else if (c == L',') {
            record.emplace_back();
        } else if (lineBreak) {
            endRecord();
        } else if (c != L'\r') {
            record.back() += c;
        }
    }
    if (quoted) {
        error.message = L"a quoted field is never closed";
        error.line = quoteLine;
        return false;
    }
    endRecord();
    steps.Reach(text.size());
    records = std::move(result);
    error = CsvError();
    return true;
}

bool ReadCsvFile(const std::wstring& path, std::vector<CsvRecord>& records, CsvError& error,
                 const CsvProgress& progress) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error.message = L"the file cannot be opened";
        error.line = 0;
        return false;
    }
    std::string bytes;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
              read == bytes.size());
    }
    CloseHandle(file);
    if (!ok) {
        error.message = L"the file cannot be read";
        error.line = 0;
        return false;
    }
    return SplitCsv(DecodeCsvBytes(bytes), records, error, progress);
}
