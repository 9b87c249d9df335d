// A screen reader in a process of its own: the tree of a window, one line a child, to a file.

#include "accessible_reading.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    FILE* out = argc < 3 ? nullptr : fopen(argv[2], "wb");
    if (!out)
        return 1;
    for (const std::wstring& line :
         ReadWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(atoll(argv[1])))))
        fprintf(out, "%ls\n", line.c_str());
    fclose(out);
    CoUninitialize();
    return 0;
}
