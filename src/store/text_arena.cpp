#include "text_arena.h"

#include <cstring>
#include <utility>

const char* TextArena::Add(const char* text, size_t length) {
    const size_t needed = length + 1;
    if (!head || head->size - head->used < needed) {
        const size_t payload = needed > blockSize ? needed : blockSize;
        const size_t bytes = offsetof(Block, data) + payload;
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
    char* copy = head->data + head->used;
    memcpy(copy, text, length);
    copy[length] = '\0';
    head->used += needed;
    return copy;
}

const char* TextArena::Add(const char* text) {
    return Add(text, strlen(text));
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
