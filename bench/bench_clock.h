#pragma once

#include <windows.h>

// Wall-clock seconds from the performance counter.
inline double Now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Processor time of this thread, which other programs on a busy machine do not inflate.
inline double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 1e7;
}

// Wall and thread processor time since construction.
struct Timer {
    double start = Now();
    double startCpu = ThreadSeconds();
    double Milliseconds() const { return (Now() - start) * 1000.0; }
    double CpuMilliseconds() const { return (ThreadSeconds() - startCpu) * 1000.0; }
};
