// Ordering and grouping figures: sorting by a string and by a date column with and without
// grouping levels, rebuilding the group tree, finding the anchor and seeking across a page.

#include "bench_clock.h"
#include "store/record_store.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Processor time of this thread, which other programs on a busy machine do not inflate.
double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 1e7;
}

struct Timer {
    double start = Now();
    double startCpu = ThreadSeconds();
    double Milliseconds() const { return (Now() - start) * 1000.0; }
    double CpuMilliseconds() const { return (ThreadSeconds() - startCpu) * 1000.0; }
};

uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Columns: 0 record number, 1 region (20 values), 2 category (50 values), 3 a name-like
// string, 4 a date.
enum { numberColumn, regionColumn, categoryColumn, nameColumn, dateColumn, columnCount };

SAFEARRAY* MakeTable(int32_t records) {
    SAFEARRAYBOUND bounds[2] = {{columnCount, 0}, {static_cast<ULONG>(records), 0}};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!array)
        return nullptr;
    VARIANT* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    static const char* const syllables[] = {"ka", "Lo", "mi", "ne", "sa", "to", "\xe6", "ae",
                                            "ri", "Bu", "do", "fe", "gi", "hu", "\xe9", "zo"};
    uint32_t state = 12345;
    for (int32_t r = 0; r < records; ++r) {
        VARIANT* row = data + static_cast<size_t>(r) * columnCount;
        wchar_t text[64];
        row[numberColumn].vt = VT_I4;
        row[numberColumn].lVal = r;
        swprintf(text, 64, L"Region %02u", NextRandom(state) % 20);
        row[regionColumn].vt = VT_BSTR;
        row[regionColumn].bstrVal = SysAllocString(text);
        swprintf(text, 64, L"Category %u", NextRandom(state) % 50);
        row[categoryColumn].vt = VT_BSTR;
        row[categoryColumn].bstrVal = SysAllocString(text);
        char name[32] = {};
        const uint32_t parts = 2 + NextRandom(state) % 4;
        for (uint32_t p = 0; p < parts; ++p)
            strcat(name, syllables[NextRandom(state) % 16]);
        MultiByteToWideChar(1252, 0, name, -1, text, 64);
        row[nameColumn].vt = VT_BSTR;
        row[nameColumn].bstrVal = SysAllocString(text);
        row[dateColumn].vt = VT_DATE;
        row[dateColumn].date =
            36526.0 + NextRandom(state) % 9000 + (NextRandom(state) % 1440) / 1440.0;
    }
    SafeArrayUnaccessData(array);
    return array;
}

void ExpandAll(RecordStore& store) {
    for (int32_t row = 0; store.cursor.Seek(row); ++row) {
        if (store.cursor.RowGroupLevel() >= 0)
            store.rowCount += store.cursor.node->Expand();
    }
}

void Run(int32_t records) {
    printf("--- %d records ---\n", records);
    Timer build;
    SAFEARRAY* table = MakeTable(records);
    if (!table) {
        printf("no memory for the table\n");
        return;
    }
    printf("build table: %.0f ms (cpu %.0f ms)\n", build.Milliseconds(), build.CpuMilliseconds());
    RecordStore store;
    Timer load;
    const bool loaded = store.SetData(table, 3, 2, false);
    SafeArrayDestroy(table);
    printf("SetData (load, sort by the number column, regroup): %.0f ms (cpu %.0f ms)%s\n",
           load.Milliseconds(), load.CpuMilliseconds(), loaded ? "" : " FAILED");

    Timer byName;
    store.SortByColumn(nameColumn);
    printf("sort by string column, first (keys built): %.0f ms (cpu %.0f ms)\n",
           byName.Milliseconds(), byName.CpuMilliseconds());
    Timer byNameAgain;
    store.SortByColumn(nameColumn);
    printf("sort by string column, descending: %.0f ms (cpu %.0f ms)\n", byNameAgain.Milliseconds(),
           byNameAgain.CpuMilliseconds());
    Timer byDate;
    store.SortByColumn(dateColumn);
    printf("sort by date column, first (keys built): %.0f ms (cpu %.0f ms)\n",
           byDate.Milliseconds(), byDate.CpuMilliseconds());
    Timer byNameKept;
    store.SortByColumn(nameColumn);
    printf("sort by string column again (keys kept): %.0f ms (cpu %.0f ms)\n",
           byNameKept.Milliseconds(), byNameKept.CpuMilliseconds());
    Timer byDateKept;
    store.SortByColumn(dateColumn);
    printf("sort by date column again (keys kept): %.0f ms (cpu %.0f ms)\n",
           byDateKept.Milliseconds(), byDateKept.CpuMilliseconds());

    // Two grouping levels: region, category.
    store.MoveColumn(regionColumn, 0);
    store.MoveColumn(categoryColumn, 1);
    Timer grouping;
    store.SetGroupLevelCount(2);
    printf("set two grouping levels (sort + regroup): %.0f ms (cpu %.0f ms), %d rows\n",
           grouping.Milliseconds(), grouping.CpuMilliseconds(), store.rowCount - 1);
    Timer groupedName;
    store.SortByColumn(nameColumn);
    printf("grouped: sort by string column: %.0f ms (cpu %.0f ms)\n", groupedName.Milliseconds(),
           groupedName.CpuMilliseconds());
    Timer groupedDate;
    store.SortByColumn(dateColumn);
    printf("grouped: sort by date column: %.0f ms (cpu %.0f ms)\n", groupedDate.Milliseconds(),
           groupedDate.CpuMilliseconds());
    Timer regroup;
    store.Regroup(0);
    printf("Regroup(0) with two levels: %.0f ms (cpu %.0f ms)\n", regroup.Milliseconds(),
           regroup.CpuMilliseconds());
    Timer regroupKeep;
    store.Regroup(2);
    printf("Regroup(2) with two levels (nodes reused): %.0f ms (cpu %.0f ms)\n",
           regroupKeep.Milliseconds(), regroupKeep.CpuMilliseconds());

    Timer expand;
    ExpandAll(store);
    printf("expand every group (a seek per row): %.0f ms (cpu %.0f ms), %d rows\n",
           expand.Milliseconds(), expand.CpuMilliseconds(), store.rowCount - 1);
    {
        store.cursor.Seek(store.rowCount - 2);
        store.RememberAnchor();
        Timer find;
        const bool found = store.FindAnchor();
        printf("FindAnchor on the last row: %.3f ms (%s, row %d)\n", find.Milliseconds(),
               found ? "found" : "NOT FOUND", store.cursor.row - 1);
    }

    // A page of 50 rows, as painting reads it, in the middle of the list.
    const int32_t top = (store.rowCount - 1) / 2;
    store.cursor.Seek(top + 1000 < store.rowCount - 1 ? top + 1000 : 0);
    int32_t read = 0;
    Timer page;
    const int repeats = 1000;
    for (int i = 0; i < repeats; ++i)
        for (int32_t row = top; row < top + 50; ++row)
            read += store.cursor.Seek(row) ? 1 : 0;
    printf("Seek across a page of 50 rows: %.2f us (%d seeks)\n",
           page.Milliseconds() * 1000.0 / repeats, read / repeats);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        Run(atoi(argv[1]));
        return 0;
    }
    Run(100000);
    Run(1000000);
    return 0;
}
