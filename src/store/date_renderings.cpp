#include "date_renderings.h"

#include "base/text_hash.h"

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

} // namespace

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
    const Entry* entry =
        kept ? entries.Find(KeyHash(key), [key](const Entry& held) { return held.key == key; })
             : nullptr;
    if (entry) {
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

// Without memory for a copy, the rendering is asked for again next time.
void DateRenderings::Keep(uint64_t key, const wchar_t* rendered, int length) {
    if (!entries.Reserve())
        return;
    if (const wchar_t* text = texts.Add(rendered, static_cast<size_t>(length)))
        entries.Add(KeyHash(key), {key, text, length});
}
