#include "sort_keys.h"

#include "base/open_table.h"
#include "base/text_hash.h"
#include "radix_sort.h"
#include "record_store.h"
#include "ordered_value.h"
#include "temp_array.h"

#include <cmath>
#include <cstring>
#include <cwchar>

namespace {

constexpr uint64_t signBit = uint64_t{1} << 63;

uint64_t SignedKey(int64_t value) {
    return static_cast<uint64_t>(value) ^ signBit;
}

// Unsigned key in the order of a real number; false for a NaN, which has no place in it.
bool RealKey(double value, uint64_t& key) {
    if (std::isnan(value))
        return false;
    if (value == 0)
        value = 0; // minus zero equals zero
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    key = bits & signBit ? ~bits : bits | signBit;
    return true;
}

// Unsigned key in the value order of a number, currency amount or date.
bool OrderKey(const VARIANT& value, uint64_t& key) {
    const OrderedValue ordered = ReadOrdered(value);
    switch (ordered.kind) {
    case OrderedKind::integer:
    case OrderedKind::currency:
        key = SignedKey(ordered.integer);
        return true;
    case OrderedKind::real:
    case OrderedKind::date:
        return RealKey(ordered.real, key);
    default:
        return false;
    }
}

// The characters that lstrcmpW passes over in this locale, each asked of it once a build, when
// first met: a text holding one could compare equal to another text, which value ranks cannot
// tell.
class IgnoredChars {
public:
    IgnoredChars() { memset(known, unknown, sizeof known); }
    // Its FNV-1a hash, as TextHash; false when a character of it is passed over.
    bool PlainHash(const wchar_t* text, uint32_t& hash) const {
        hash = textHashStart;
        for (; *text; ++text) {
            const uint16_t unit = static_cast<uint16_t>(*text);
            if (known[unit] == unknown) {
                const wchar_t probe[] = {L'a', *text, L'b', L'\0'};
                known[unit] = lstrcmpW(probe, L"ab") == 0 ? ignored : plain;
            }
            if (known[unit] == ignored)
                return false;
            hash = TextHashStep(hash, unit);
        }
        return true;
    }

private:
    enum : uint8_t { unknown, plain, ignored };
    mutable uint8_t known[65536];
};

// The text a cell holds, null where it has none: ranks compare these pointers, so an absent
// text stays apart from an empty one.
const wchar_t* StoredText(const RecordStore& store, int32_t record, int32_t column, bool keyTexts) {
    const CellEntry& cell = store.Cell(record, column);
    return keyTexts ? (cell.tag ? cell.tag : cell.text) : cell.text;
}

enum class Outcome { ranked, refused, tooManyTexts };

// The distinct text pointers of a column, each with the least and the greatest value key of
// the records that show it. The load shares one text among the cells of equal values, so a
// column of repeating values has few of them.
class TextSpans {
public:
    struct Span {
        const wchar_t* text;
        uint64_t low, high;
        uint32_t hash; // of the text, once Hash has run
    };
    explicit TextSpans(size_t limit) : limit(limit) {}

    // The number of the span of text, widened to key; -1 past the limit or without memory.
    int32_t Add(const wchar_t* text, uint64_t key) {
        const uint32_t hash = KeyHash(reinterpret_cast<uintptr_t>(text));
        auto same = [text](const Span& span) { return span.text == text; };
        bool added = false;
        Span* span = spans.Count() < limit ? spans.FindOrAdd(hash, {text, key, key, 0}, same, added)
                                           : spans.Find(hash, same);
        if (!span)
            return -1;
        if (key < span->low) // most texts show one value: the span stays clean
            span->low = key;
        if (key > span->high)
            span->high = key;
        return static_cast<int32_t>(spans.Number(*span));
    }
    // The hashes of the texts, read in the order they were met, which is about the order the
    // load stored them in; false when a text holds a character that lstrcmpW passes over.
    bool Hash(const IgnoredChars& ignored) {
        for (uint32_t i = 0; i < spans.Count(); ++i) {
            if (!ignored.PlainHash(spans[i].text, spans[i].hash))
                return false;
        }
        return true;
    }
    const Span& operator[](size_t number) const { return spans[static_cast<uint32_t>(number)]; }
    size_t Count() const { return spans.Count(); }

private:
    size_t limit;
    OpenTable<Span, 1024> spans;
};

// Whether the texts of runs (keyed by their hashes) all differ: runs of equal hashes side by
// side, and only those are read.
template <typename TextOfRun>
bool TextsDiffer(KeyedIndex* runs, size_t count, const TextOfRun& textOf) {
    TempArray<KeyedIndex> scratch(count);
    if (!scratch.data)
        return false;
    const KeyedIndex* byHash = RadixSort(runs, scratch.data, count, 32);
    for (size_t i = 1; i < count; ++i) {
        if (byHash[i].key != byHash[i - 1].key)
            continue;
        const wchar_t *a = textOf(byHash[i - 1]), *b = textOf(byHash[i]);
        if (a == b || wcscmp(a, b) == 0)
            return false;
    }
    return true;
}

// A column whose texts repeat: its distinct text pointers in the order of their least values.
// Texts of equal bytes follow one another and share a rank; a text whose values overlap
// another's, or that comes back after another, refuses the column. ranks holds the span of
// each record meanwhile.
Outcome RankBySpans(const RecordStore& store, int32_t column, bool keyTexts,
                    const IgnoredChars& ignored, int32_t* ranks, int32_t& count) {
    const int32_t records = store.recordCount;
    const VARTYPE kind = store.Cell(0, column).value.vt;
    TextSpans spans(static_cast<size_t>(records) / 4);
    for (int32_t record = 0; record < records; ++record) {
        const wchar_t* text = StoredText(store, record, column, keyTexts);
        uint64_t key;
        const VARIANT& value = store.Cell(record, column).value;
        if (!text || value.vt != kind || !OrderKey(value, key))
            return Outcome::refused;
        ranks[record] = spans.Add(text, key);
        if (ranks[record] < 0)
            return Outcome::tooManyTexts;
    }
    if (!spans.Hash(ignored))
        return Outcome::refused;
    const size_t distinct = spans.Count();
    TempArray<KeyedIndex> items(distinct), scratch(distinct);
    TempArray<int32_t> rankOf(distinct);
    if (!items.data || !scratch.data || !rankOf.data)
        return Outcome::tooManyTexts;
    for (size_t i = 0; i < distinct; ++i)
        items.data[i] = {spans[i].low, static_cast<int32_t>(i), 0};
    const KeyedIndex* sorted = RadixSort(items.data, scratch.data, distinct, 64);
    KeyedIndex* runs = sorted == items.data ? scratch.data : items.data;
    int32_t rank = -1;
    const TextSpans::Span* run = nullptr;
    uint64_t runHigh = 0;
    for (size_t i = 0; i < distinct; ++i) {
        const TextSpans::Span& span = spans[static_cast<size_t>(sorted[i].index)];
        if (run && (span.text == run->text ||
                    (span.hash == run->hash && wcscmp(span.text, run->text) == 0))) {
            runHigh = span.high > runHigh ? span.high : runHigh;
        } else {
            if (run && span.low <= runHigh)
                return Outcome::refused; // two texts on one stretch of values
            run = &span;
            runHigh = span.high;
            runs[++rank] = {span.hash, sorted[i].index, 0};
        }
        rankOf.data[sorted[i].index] = rank;
    }
    count = rank + 1;
    auto textOf = [&spans](const KeyedIndex& run) { return spans[run.index].text; };
    if (!TextsDiffer(runs, static_cast<size_t>(count), textOf))
        return Outcome::refused;
    for (int32_t record = 0; record < records; ++record)
        ranks[record] = rankOf.data[ranks[record]];
    return Outcome::ranked;
}

// A column of many distinct texts: the records in value order, each text known by its hash,
// read once in load order. A new rank where the text changes; equal values must show one
// text, and no text may come back after another (equal hashes of two runs are compared).
Outcome RankByValues(const RecordStore& store, int32_t column, bool keyTexts,
                     const IgnoredChars& ignored, int32_t* ranks, int32_t& count) {
    const size_t records = static_cast<size_t>(store.recordCount);
    const VARTYPE kind = store.Cell(0, column).value.vt;
    TempArray<KeyedIndex> items(records), scratch(records);
    if (!items.data || !scratch.data)
        return Outcome::tooManyTexts;
    for (size_t record = 0; record < records; ++record) {
        KeyedIndex& item = items.data[record];
        item.index = static_cast<int32_t>(record);
        const wchar_t* text = StoredText(store, item.index, column, keyTexts);
        const VARIANT& value = store.Cell(item.index, column).value;
        if (!text || value.vt != kind || !OrderKey(value, item.key) ||
            !ignored.PlainHash(text, item.spare))
            return Outcome::refused;
    }
    const KeyedIndex* sorted = RadixSort(items.data, scratch.data, records, 64);
    KeyedIndex* runs = sorted == items.data ? scratch.data : items.data;
    auto sameText = [&](const KeyedIndex& a, const KeyedIndex& b) {
        const wchar_t* textA = StoredText(store, a.index, column, keyTexts);
        const wchar_t* textB = StoredText(store, b.index, column, keyTexts);
        return a.spare == b.spare && (textA == textB || wcscmp(textA, textB) == 0);
    };
    int32_t rank = -1;
    for (size_t i = 0; i < records; ++i) {
        const KeyedIndex& item = sorted[i];
        const bool sameValue = i > 0 && item.key == sorted[i - 1].key;
        if (i == 0 || item.spare != sorted[i - 1].spare || !sameText(item, sorted[i - 1])) {
            if (sameValue)
                return Outcome::refused;
            ++rank;
            runs[rank] = {item.spare, item.index, 0};
        }
        ranks[item.index] = rank;
    }
    count = rank + 1;
    auto textOf = [&](const KeyedIndex& run) {
        return StoredText(store, run.index, column, keyTexts);
    };
    return TextsDiffer(runs, static_cast<size_t>(count), textOf) ? Outcome::ranked
                                                                 : Outcome::refused;
}

} // namespace

// Equal values have equal texts, as each was formatted alike; when every text covers one
// stretch of values, the value order is the order of the texts refined by the values.
int32_t* SortKeyCache::BuildValueRanks(const RecordStore& store, int32_t column, bool keyTexts,
                                       int32_t& count) const {
    TempArray<int32_t> ranks(static_cast<size_t>(store.recordCount));
    if (!ranks.data)
        return nullptr;
    const IgnoredChars ignored;
    Outcome outcome = RankBySpans(store, column, keyTexts, ignored, ranks.data, count);
    if (outcome == Outcome::tooManyTexts)
        outcome = RankByValues(store, column, keyTexts, ignored, ranks.data, count);
    return outcome == Outcome::ranked ? ranks.Release() : nullptr;
}
