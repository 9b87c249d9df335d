#pragma once

// The fuzzers' driver: every case has a seed that a failure prints and that replays it.

#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// splitmix64: small, and the same sequence on every build.
class FuzzRandom {
public:
    explicit FuzzRandom(uint64_t seed) : state(seed) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    int32_t Between(int32_t low, int32_t high) {
        return low + static_cast<int32_t>(Below(static_cast<uint32_t>(high - low + 1)));
    }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <typename T, size_t N> const T& Pick(const T (&items)[N]) { return items[Below(N)]; }
    // An index as a careless or hostile host passes them: mostly small, often at an edge.
    int32_t Index() {
        static const int32_t edges[] = {
            INT32_MIN, INT32_MIN + 1, -1000000000, -65537,        -1,       0, 65535,
            65536,     10000000,      1000000000,  INT32_MAX - 1, INT32_MAX};
        return OneIn(4) ? Pick(edges) : Between(-2, 9);
    }

private:
    uint64_t state;
};

inline SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves the private bytes at 0 and reports the commit as the page-file usage.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

inline BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// The windows of this thread and their children.
inline DWORD ThreadWindowCount() {
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Fuzz {
    uint64_t seed = 0;    // of the case under way
    bool verbose = false; // replaying one case: print every step
    uint64_t steps = 0, failures = 0;
    uint64_t tally = 0; // of what the fuzzer counts beside failures, printed as `tallied`
    const char* tallied = nullptr;
    char step[200] = "";
    const char* program = "";

    void Step(const char* format, ...) {
        va_list args;
        va_start(args, format);
        vsnprintf(step, sizeof step, format, args);
        va_end(args);
        ++steps;
        if (verbose)
            printf("  %s\n", step);
    }
    bool Check(bool ok, const char* format, ...) {
        if (ok)
            return true;
        ++failures;
        va_list args;
        va_start(args, format);
        printf("FAILED: ");
        vprintf(format, args);
        va_end(args);
        printf("\n  after: %s\n  replay: %s %llu\n", step, program, seed);
        return false;
    }
};

inline Fuzz fuzz;
inline FuzzRandom random{0}; // of the case under way, seeded with it

inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    void* address = exception->ExceptionRecord->ExceptionAddress;
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<const char*>(address), &module))
        GetModuleFileNameA(module, name, sizeof name);
    printf("CRASH 0x%08lx at %s+0x%llx\n  during: %s\n  replay: %s %llu\n",
           exception->ExceptionRecord->ExceptionCode, name,
           (unsigned long long)(static_cast<char*>(address) - reinterpret_cast<char*>(module)),
           fuzz.step, fuzz.program, fuzz.seed);
    ExitProcess(3);
}

// Two passes a moment apart start far apart.
inline uint64_t ClockSeed() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FuzzRandom((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime).Next() %
           1000000000000ull;
}

// No argument runs the short pass, which replays the same cases each time; --long runs the long
// one from a seed of the clock, or of --seed N, for as many cases as --steps N steps take; a case
// seed alone replays that case step by step. Exits with the failures (capped), 3 on a crash.
template <typename Case>
int RunFuzz(int argc, char** argv, const char* name, uint64_t cases, uint64_t longCases,
            int steps) {
    fuzz.program = argv[0];
    SetUnhandledExceptionFilter(ReportCrash);
    setvbuf(stdout, nullptr, _IONBF, 0); // what a crash or a hang cuts short is out already
    OleInitialize(nullptr);
    uint64_t seed = 20261206;
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (strcmp(argv[i], "--long") == 0) {
            cases = longCases;
            seed = ClockSeed();
        } else if (valued && strcmp(argv[i], "--seed") == 0) {
            seed = strtoull(argv[++i], nullptr, 10);
        } else if (valued && strcmp(argv[i], "--steps") == 0) {
            cases = (strtoull(argv[++i], nullptr, 10) + steps - 1) / steps;
        } else {
            fuzz.verbose = true;
            cases = 1;
            seed = strtoull(argv[i], nullptr, 10);
        }
    }
    if (!fuzz.verbose)
        printf("%s: pass seed %llu (again: --long --seed %llu), %llu cases of %d steps\n", name,
               seed, seed, cases, steps);
    for (uint64_t i = 0; i < cases; ++i) {
        random = FuzzRandom(fuzz.seed = fuzz.verbose ? seed : seed * 1000003 + i);
        Case().Run(steps);
    }
    printf("%s: %llu cases, %llu steps, 0 crashes, %llu invariant failures\n", name, cases,
           fuzz.steps, fuzz.failures);
    if (fuzz.tallied)
        printf("%s: %s: %llu\n", name, fuzz.tallied, fuzz.tally);
    OleUninitialize();
    return fuzz.failures > 100 ? 100 : static_cast<int>(fuzz.failures);
}
