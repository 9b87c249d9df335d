#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A block of the process heap for one operation, freed when it ends; data is null when no
// memory could be had.
template <typename T> class TempArray {
public:
    explicit TempArray(size_t count) : data(Allocate(count)) {}
    ~TempArray() {
        if (data)
            HeapFree(GetProcessHeap(), 0, data);
    }
    TempArray(const TempArray&) = delete;
    TempArray& operator=(const TempArray&) = delete;
    T* Release() {
        T* kept = data;
        data = nullptr;
        return kept;
    }
    T* data;

private:
    static T* Allocate(size_t count) {
        if (count == 0)
            count = 1;
        if (count > SIZE_MAX / sizeof(T))
            return nullptr;
        return static_cast<T*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(T)));
    }
};
