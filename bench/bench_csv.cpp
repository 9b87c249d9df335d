// CSV benchmark: a file of 1,000,000 records of six columns (whole numbers, dates with times,
// names, categories, decimals and codes that stay text), read and recognised by the demo's
// reader into the array the control takes, and the memory it takes. The time to the first paint
// of the whole demo comes from norv_demo --time with the same file (README, "The demo").

#include "bench_clock.h"
#include "csv_reader.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace {

constexpr int records = 1000000;
const wchar_t fileName[] = L"bench_csv.csv";

bool WriteFile() {
    FILE* file = _wfopen(fileName, L"wb");
    if (!file)
        return false;
    std::fputs("Id,Taken,Name,Category,Amount,Code\n", file);
    unsigned state = 20240314u;
    auto next = [&state](unsigned range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    for (int r = 0; r < records; ++r)
        std::fprintf(file, "%d,2024-%02u-%02u %02u:%02u,Customer %05u,Category %u,%u.%02u,0%u\n",
                     r + 1, 1 + next(12), 1 + next(28), next(24), next(60), next(100000), next(20),
                     next(100000), next(100), next(1000));
    return std::fclose(file) == 0;
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? counters.PeakWorkingSetSize
               : 0;
}

} // namespace

int main() {
    if (GetFileAttributesW(fileName) == INVALID_FILE_ATTRIBUTES && !WriteFile()) {
        std::printf("the file could not be written\n");
        return 1;
    }
    double bestWall = 1e9, bestCpu = 1e9;
    LONG shape[2] = {};
    for (int run = 0; run < 3; ++run) {
        DataGrid grid;
        CsvReport report;
        const Timer timer;
        if (!ReadCsvFile(fileName, grid, report)) {
            std::printf("the file could not be read\n");
            return 1;
        }
        const double wall = timer.Milliseconds(), cpu = timer.CpuMilliseconds();
        bestWall = wall < bestWall ? wall : bestWall;
        bestCpu = cpu < bestCpu ? cpu : bestCpu;
        shape[0] = grid.Records();
        shape[1] = grid.Columns();
    }
    std::printf("read and recognised %ld records x %ld columns: %.0f ms wall, %.0f ms processor "
                "(best of 3); peak working set %.0f MB\n",
                static_cast<long>(shape[0]), static_cast<long>(shape[1]), bestWall, bestCpu,
                PeakWorkingSet() / 1048576.0);
    return 0;
}
