#pragma once

#include <windows.h>

// A wide text converted to the ANSI code page for the narrow GDI calls. Short texts use the
// inline buffer; longer ones one heap block. An absent, empty or unconvertible text reads as "".
class NarrowText {
public:
    explicit NarrowText(const wchar_t* wide) {
        inlineBuffer[0] = '\0';
        if (!wide || !*wide)
            return;
        int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, inlineBuffer, sizeof inlineBuffer,
                                       nullptr, nullptr);
        if (size > 0)
            return;
        size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return;
        heapBuffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
        if (heapBuffer &&
            WideCharToMultiByte(CP_ACP, 0, wide, -1, heapBuffer, size, nullptr, nullptr) <= 0)
            heapBuffer[0] = '\0';
        inlineBuffer[0] = '\0';
    }
    ~NarrowText() {
        if (heapBuffer)
            HeapFree(GetProcessHeap(), 0, heapBuffer);
    }
    NarrowText(const NarrowText&) = delete;
    NarrowText& operator=(const NarrowText&) = delete;

    const char* Get() const { return heapBuffer ? heapBuffer : inlineBuffer; }

private:
    char inlineBuffer[256];
    char* heapBuffer = nullptr;
};
