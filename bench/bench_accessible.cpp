// What assistive technology costs: the child count, and the name, value and state of the
// last row (read after the row cursor stood on the first page, as painting leaves it, and
// read again) and of the middle row, through the accessible object of an 800 x 600 control
// with two grouping levels expanded; and the WinEvents of a current-row change when no hook
// listens. Medians in microseconds.

#include "bench_clock.h"
#include "bench_window.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <vector>

namespace {

// Records x 5 integer columns: two grouping keys of `keys` values each, then data.
SAFEARRAY* MakeData(int32_t records, int32_t keys) {
    return MakeTable<LONG>(VT_I4, records, [keys](int32_t r, LONG* record) {
        record[0] = r % keys;
        record[1] = (r / keys) % keys;
        record[2] = r;
        record[3] = static_cast<LONG>((static_cast<int64_t>(r) * 7919) % 100000);
        record[4] = 1000000 - r;
    });
}

template <class Work> double MedianMicroseconds(int runs, Work work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        samples.push_back(1e6 * (Now() - start));
    }
    return Median(samples);
}

void Measure(HWND host, int32_t records, int32_t keys) {
    BenchEngine engine;
    if (!OpenBenchWindow(engine, host) || !LoadTwoLevelsExpanded(engine, MakeData(records, keys))) {
        std::printf("%10d records: could not be shown\n", records);
        return;
    }
    engine.ResetView();
    SetFocus(engine.hwnd);
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(engine.hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        std::printf("no accessible object\n");
        return;
    }
    LONG count = 0;
    const double countUs = MedianMicroseconds(1000, [&] { object->get_accChildCount(&count); });
    auto read = [&](LONG child) {
        VARIANT id, state;
        V_VT(&id) = VT_I4;
        V_I4(&id) = child;
        BSTR name = nullptr, value = nullptr;
        object->get_accName(id, &name);
        object->get_accValue(id, &value);
        object->get_accState(id, &state);
        SysFreeString(name);
        SysFreeString(value);
    };
    // From where painting the first page leaves the row cursor.
    auto fromFirstPage = [&](LONG child) {
        return MedianMicroseconds(200, [&] {
            engine.store.cursor.Seek(engine.view.topRow);
            read(child);
        });
    };
    const double coldUs = fromFirstPage(count), middleUs = fromFirstPage(count / 2);
    const double warmUs = MedianMicroseconds(1000, [&] { read(count); });

    // Selection and focus events of a row change, no hook listening.
    const double announceUs = MedianMicroseconds(100,
                                                 [&] {
                                                     for (int i = 0; i < 1000; ++i) {
                                                         engine.view.currentRow ^= 1;
                                                         engine.AnnounceCurrentRow();
                                                     }
                                                 }) /
                              1000;
    object->Release();
    std::printf("%10d records, %8ld children (%5d groups): count %5.2f; name, value, state of"
                " the last row %5.2f from the first page, %5.2f again, of the middle row %6.2f;"
                " row change events %5.3f%s\n",
                records, count, keys * keys + keys, countUs, coldUs, warmUs, middleUs, announceUs,
                engine.view.hasFocus ? "" : " (unfocused: no focus event)");
    std::fflush(stdout);
}

} // namespace

int main() {
    OleInitialize(nullptr);
    HWND host = MakeBenchHost();
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    std::printf("800 x 600 control, 5 columns, two grouping levels expanded, focused; medians"
                " in microseconds (goals: count and last row < 50, events < 1)\n");
    for (int32_t records : {1000, 1000000})
        Measure(host, records, 10);
    Measure(host, 1000000, 100); // ten thousand header rows between the first page and the end
    OleUninitialize();
    return 0;
}
