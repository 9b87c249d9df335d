#pragma once

// Comma-separated files read straight into the records for the control, window-free.

#include "data_grid.h"

#include <cstddef>
#include <functional>
#include <string>

// How far a long read has come: the percentage, told each time it grows, 100 at the end. Files
// smaller than csvProgressBytes tell nothing.
using CsvProgress = std::function<void(int percent)>;
constexpr size_t csvProgressBytes = 1 << 20;

// What a read found: an error (empty when the records were read) with its line (1-based, 0 for
// the whole file), and the records whose number of fields differs from the header's.
struct CsvReport {
    std::wstring error;
    int line = 0;
    LONG shorterRecords = 0;
    LONG longerRecords = 0;
};

// The first record gives the labels, the others the cells. The bytes are UTF-8 (a byte-order
// mark allowed) or UTF-16 with a byte-order mark, either byte order. Commas separate fields,
// CR LF, LF or CR end a record, a field in double quotes may hold commas, line breaks and
// doubled quotes; lines with no text are skipped. Each field is recognised on its bytes: whole
// numbers that fit 32 bits load as VT_I4, other decimal numbers (a dot before the fraction, an
// optional exponent) as VT_R8, yyyy-mm-dd or yyyy/mm/dd, optionally with a space or T and hh:mm
// or hh:mm:ss, as VT_DATE; surrounding spaces do not count, and a number written with a leading
// zero (an article or postal code) stays text. Everything else, empty fields and the missing
// fields of short records too, loads as text. False, with the grid emptied, for a file that is
// not text, a quote never closed, or no records.
bool ReadCsvBytes(const char* bytes, size_t size, DataGrid& grid, CsvReport& report,
                  const CsvProgress& progress = nullptr);

// The same for a file, read through a mapping of it.
bool ReadCsvFile(const std::wstring& path, DataGrid& grid, CsvReport& report,
                 const CsvProgress& progress = nullptr);
