#pragma once

#include <windows.h>

#include <cstddef>

// Bump allocator for the texts of one load. A million cells would otherwise cost a
// million heap blocks and their headers; here they cost one block per 128 KiB of text, and
// a reload drops them all at once.
class TextArena {
public:
    TextArena() = default;
    ~TextArena() { Release(); }
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // A NUL-terminated copy of text[0 .. length), or null when no memory could be had.
    const wchar_t* Add(const wchar_t* text, size_t length);
    const wchar_t* Add(const wchar_t* text);
    // A copy of count bytes (a sort key, its NUL included), or null without memory.
    const char* AddBytes(const char* bytes, size_t count);
    // Frees every text handed out.
    void Release();
    // Takes the texts of other and hands it these.
    void Swap(TextArena& other);
    // Set when an Add found no memory, or when a caller noted that a text could not be made
    // for lack of it; cleared by Release.
    bool OutOfMemory() const { return outOfMemory; }
    void NoteOutOfMemory() { outOfMemory = true; }
    // Bytes taken from the system, for measurements.
    size_t ReservedBytes() const { return reserved; }

private:
    // Room for units characters, or null.
    wchar_t* Reserve(size_t units);
    struct Block {
        Block* previous;
        size_t size;
        size_t used;
        wchar_t data[1];
    };
    static constexpr size_t blockSize = 64 * 1024;
    Block* head = nullptr;
    size_t reserved = 0;
    bool outOfMemory = false;
};
