#pragma once

// Comma-separated text as records of fields, window-free.

#include <string>
#include <vector>

using CsvRecord = std::vector<std::wstring>;

// What a read found wrong, and on which line of the text (1-based); empty when all was read.
struct CsvError {
    std::wstring message;
    int line = 0;
};

// UTF-8 with or without a byte-order mark; text that is not valid UTF-8 is read in the ANSI
// code page, as older spreadsheet exports are.
std::wstring DecodeCsvBytes(const std::string& bytes);

// Splits text into records: commas separate fields, CR LF, LF or CR end a record, a field in
// double quotes may hold commas, line breaks and doubled quotes. Lines with no text at all are
// skipped. A quote that is never closed is an error and yields no records.
bool SplitCsv(const std::wstring& text, std::vector<CsvRecord>& records, CsvError& error);

// Reads and splits a whole file.
bool ReadCsvFile(const std::wstring& path, std::vector<CsvRecord>& records, CsvError& error);
