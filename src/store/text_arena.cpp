#include "text_arena.h"

#include <cstring>
#include <cwchar>
#include <utility>

wchar_t* TextArena::Reserve(size_t needed) {
    if (!head || head->size - head->used < needed) {
        const size_t payload = needed > blockSize ? needed : blockSize;
        const size_t bytes = offsetof(Block, data) + payload * sizeof(wchar_t);
        Block* block = static_cast<Block*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (!block) {
            outOfMemory = true;
            return nullptr;
        }
        block->previous = head;
        block->size = payload;
        block->used = 0;
        head = block;
        reserved += bytes;
    }
    wchar_t* room = head->data + head->used;
    head->used += needed;
    return room;
}

const wchar_t* TextArena::Add(const wchar_t* text, size_t length) {
    wchar_t* copy = Reserve(length + 1);
    if (copy) {
        memcpy(copy, text, length * sizeof(wchar_t));
        copy[length] = L'\0';
    }
    return copy;
}

const char* TextArena::AddBytes(const char* bytes, size_t count) {
    char* copy = reinterpret_cast<char*>(Reserve((count + 1) / sizeof(wchar_t)));
    if (copy)
        memcpy(copy, bytes, count);
    return copy;
}

const wchar_t* TextArena::Add(const wchar_t* text) {
    return Add(text, wcslen(text));
}

void TextArena::Release() {
    while (head) {
        Block* previous = head->previous;
        HeapFree(GetProcessHeap(), 0, head);
        head = previous;
    }
    reserved = 0;
    outOfMemory = false;
}

void TextArena::Swap(TextArena& other) {
    std::swap(head, other.head);
    std::swap(reserved, other.reserved);
    std::swap(outOfMemory, other.outOfMemory);
}
