#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// An automation string put together from texts and numbers. A failed allocation leaves nothing:
// Take then answers null.
class AccessibleText {
public:
    AccessibleText() = default;
    ~AccessibleText() {
        if (text)
            HeapFree(GetProcessHeap(), 0, text);
    }
    AccessibleText(const AccessibleText&) = delete;
    AccessibleText& operator=(const AccessibleText&) = delete;

    AccessibleText& Append(const wchar_t* wide) {
        const int count = wide ? lstrlenW(wide) : 0;
        if (Reserve(count)) {
            CopyMemory(text + length, wide, count * sizeof(wchar_t));
            length += count;
        }
        return *this;
    }
    AccessibleText& AppendNumber(int32_t value) {
        wchar_t digits[16];
        wsprintfW(digits, L"%d", value);
        return Append(digits);
    }
    bool Empty() const { return length == 0; }
    // The string, or null when an allocation failed.
    BSTR Take() const { return failed ? nullptr : SysAllocStringLen(text ? text : L"", length); }

private:
    // Room for count more characters and a terminating one.
    bool Reserve(int count) {
        if (failed)
            return false;
        if (length + count + 1 <= capacity)
            return true;
        const int wanted = (length + count + 1) * 2;
        void* grown = text ? HeapReAlloc(GetProcessHeap(), 0, text, wanted * sizeof(wchar_t))
                           : HeapAlloc(GetProcessHeap(), 0, wanted * sizeof(wchar_t));
        if (!grown) {
            failed = true;
            return false;
        }
        text = static_cast<wchar_t*>(grown);
        capacity = wanted;
        return true;
    }

    wchar_t* text = nullptr;
    int length = 0, capacity = 0;
    bool failed = false;
};
