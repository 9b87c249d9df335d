#pragma once

// Comma-separated text as records of fields, window-free.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

using CsvRecord = std::vector<std::wstring>;

// How a long read goes: the percentage of a stage done, told each time it grows, 100 at the
// stage's end. Texts of fewer lines, and grids of fewer records, than this tell nothing.
enum class CsvStage { Splitting, Recognising };
using CsvProgress = std::function<void(CsvStage stage, int percent)>;
constexpr size_t csvProgressRecords = 100000;

// Tells a progress each percentage of a stage once, as the work done reaches it.
class ProgressSteps {
public:
    ProgressSteps(CsvProgress progress, CsvStage stage, size_t total)
        : progress(total > 0 ? std::move(progress) : nullptr), stage(stage), total(total) {}
    void Reach(size_t done) {
        if (progress && done >= next)
            Tell(done);
    }

private:
    void Tell(size_t done);
    CsvProgress progress;
    CsvStage stage;
    size_t total;
    size_t next = 0; // work that makes the next percentage
};

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
bool SplitCsv(const std::wstring& text, std::vector<CsvRecord>& records, CsvError& error,
              const CsvProgress& progress = nullptr);

// Reads and splits a whole file.
bool ReadCsvFile(const std::wstring& path, std::vector<CsvRecord>& records, CsvError& error,
                 const CsvProgress& progress = nullptr);
