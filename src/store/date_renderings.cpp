#include "date_renderings.h"

#include "base/open_table.h"

#include <cwchar>

namespace {

// The pictures a load asks for besides the locale's own formats.
int PictureNumber(const wchar_t* picture) {
    if (!picture)
        return 0;
    if (wcscmp(picture, L"yyyy MMMM") == 0)
        return 1;
    if (wcscmp(picture, L"yyyy") == 0)
        return 2;
    return -1;
}

uint32_t Slot(uint64_t key, uint32_t slots) {
    return static_cast<uint32_t>((key * 0x9e3779b97f4a7c15ULL) >> 32) & (slots - 1);
}

} // namespace

DateRenderings::~DateRenderings() {
    if (entries)
        HeapFree(GetProcessHeap(), 0, entries);
}

const wchar_t* DateRenderings::Date(const SYSTEMTIME& time, DWORD flags, const wchar_t* picture,
                                    int& length) {
    const int number = PictureNumber(picture);
    const uint64_t key = (uint64_t{1} << 62) | (static_cast<uint64_t>(number) << 48) |
                         (static_cast<uint64_t>(flags) << 32) | (uint64_t{time.wYear} << 16) |
                         (uint64_t{time.wMonth} << 8) | time.wDay;
    return Rendered(number >= 0, key, length, [&] {
        return GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, picture, last, ARRAYSIZE(last));
    });
}

const wchar_t* DateRenderings::Time(const SYSTEMTIME& time, DWORD flags, int& length) {
    const uint64_t key = (static_cast<uint64_t>(flags) << 32) | (uint64_t{time.wHour} << 16) |
                         (uint64_t{time.wMinute} << 8) | time.wSecond;
    return Rendered(true, key, length, [&] {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, last, ARRAYSIZE(last));
    });
}

template <typename Render>
const wchar_t* DateRenderings::Rendered(bool kept, uint64_t key, int& length,
                                        const Render& render) {
    if (const Entry* entry = kept ? Find(key) : nullptr) {
        length = entry->length;
        return entry->text;
    }
    const int written = render();
    if (written <= 0)
        return nullptr;
    length = written - 1;
    if (kept)
        Keep(key, last, length);
    return last;
}

const DateRenderings::Entry* DateRenderings::Find(uint64_t key) const {
    if (!entries)
        return nullptr;
    for (uint32_t slot = Slot(key, slots); entries[slot].text; slot = (slot + 1) & (slots - 1)) {
        if (entries[slot].key == key)
            return &entries[slot];
    }
    return nullptr;
}

// Without memory for a copy, the rendering is asked for again next time.
void DateRenderings::Keep(uint64_t key, const wchar_t* rendered, int length) {
    if (2 * (used + 1) > slots && !Grow())
        return;
    const wchar_t* text = texts.Add(rendered, static_cast<size_t>(length));
    if (!text)
        return;
    uint32_t slot = Slot(key, slots);
    while (entries[slot].text)
        slot = (slot + 1) & (slots - 1);
    entries[slot] = {key, text, length};
    ++used;
}

bool DateRenderings::Grow() {
    size_t count = slots;
    auto home = [](const Entry& entry, size_t grown) {
        return static_cast<size_t>(Slot(entry.key, static_cast<uint32_t>(grown)));
    };
    if (count >= (1u << 24) || !GrowTable(entries, count, 256, home))
        return false;
    slots = static_cast<uint32_t>(count);
    return true;
}
