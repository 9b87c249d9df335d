// Cycles of create, load, paint and destroy (300, --long 10,000): from cycle 100 on, neither the
// GDI and USER handles nor the private bytes may grow.

#include "control/view_control.h"
#include "fuzz/fuzz_support.h"
#include "host/host_test_support.h"

#include <winternl.h>

namespace {

struct Counters {
    DWORD gdi, user;
    SIZE_T bytes;
};

// Wine answers GetGuiResources with 0: then the GDI handle table's used entries (its address in
// the process block; stock objects included) and the windows of this thread count.
DWORD GdiHandleTableCount() {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0)
        return 0;
    const bool wide = sizeof(void*) == 8;
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(
        reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + (wide ? 0xF8 : 0x94));
    const size_t entrySize = wide ? 24 : 16, typeOffset = wide ? 14 : 10;
    DWORD used = 0;
    for (size_t i = 0; table && i < 65536; ++i)
        used += table[i * entrySize + typeOffset] != 0;
    return used;
}

Counters Now() {
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return {gdi ? gdi : GdiHandleTableCount(), user ? user : ThreadWindowCount(), PrivateBytes()};
}

bool Cycle(HWND host, int cycle) {
    ViewControl* control = ViewControl::Create();
    if (!control || !control->CreateEngineWindow(host, ControlBounds(300, 200)))
        return false;
    const bool loaded =
        LoadTable(static_cast<_View*>(control), 10 + cycle % 40, 1 + cycle % 5) == S_OK;
    if (cycle % 2)
        control->SetGroupLevelsKeepingRow(1);
    RedrawWindow(control->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    control->DestroyEngineWindow();
    static_cast<_View*>(control)->Release();
    Pump();
    return loaded;
}

// Wine keeps some memory for every cursor, icon and image list made, though each is destroyed
// (the GDI count stays flat): that growth, measured alone over as many objects, is its own.
SIZE_T DrawResourcesGrowth(int objects) {
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < objects; ++i)
        delete new DrawResources;
    const SIZE_T after = PrivateBytes();
    return after > before ? after - before : 0;
}

} // namespace

int main(int argc, char**) {
    OleInitialize(nullptr);
    const int cycles = argc > 1 ? 10000 : 300;
    HWND host = TestHost(340, 240);
    printf("soak: %d cycles of create, load, paint, destroy\n", cycles);
    Counters first = {}, last = {};
    int failures = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        failures += !Cycle(host, cycle);
        if (cycle == 100 || cycle == 1000 || cycle == cycles) {
            last = Now();
            first = cycle == 100 ? last : first;
            printf("cycle %5d: %lu GDI handles, %lu USER handles, %zu KiB private\n", cycle,
                   last.gdi, last.user, static_cast<size_t>(last.bytes / 1024));
            fflush(stdout);
        }
    }
    const SIZE_T platform = DrawResourcesGrowth(cycles - 100);
    printf("the platform's own growth for the drawing resources of %d objects: %zu KiB\n",
           cycles - 100, static_cast<size_t>(platform / 1024));
    // A little slack for the heap's own growth; a leak of a handle or a cell a cycle is more.
    if (last.gdi > first.gdi || last.user > first.user ||
        last.bytes > first.bytes + platform + 512 * 1024) {
        printf("FAILED: handles or memory grew after cycle 100\n");
        ++failures;
    }
    printf("soak: %d failed cycles or checks\n", failures);
    OleUninitialize();
    return failures;
}
