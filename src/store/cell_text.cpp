#include "cell_text.h"

#include "base/owned_variant.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <initializer_list>

namespace {

constexpr wchar_t emptyText[] = L"<EMPTY>";
constexpr wchar_t nullText[] = L"<NULL>";
constexpr wchar_t noDateText[] = L"* * *";

constexpr double firstValidDate = -657434.0; // 1 January 100
constexpr double lastValidDate = 2958465.0;  // 31 December 9999, midnight
constexpr double halfSecond = 1.0 / 172800.0;
constexpr int32_t secondsPerDay = 86400;
// Day 0 of the automation calendar, 30 December 1899, counted from 1 January 1970.
constexpr int64_t automationEpochFromUnix = -25569;

// Proleptic Gregorian calendar from a day count relative to 1 January 1970.
void CivilFromDays(int64_t days, int32_t& year, int32_t& month, int32_t& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153; // March = 0
    day = static_cast<int32_t>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int32_t>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsDateAndTimeFormat(int32_t format) {
    return format >= datetime::flShortDateShortTime && format <= datetime::flLongDateLongTime;
}

bool IsLongDateFormat(int32_t format) {
    return format == datetime::flLongDate || format == datetime::flLongDateShortTime ||
           format == datetime::flLongDateLongTime;
}

bool IsSecondsFormat(int32_t format) {
    return format == datetime::flShortDateLongTime || format == datetime::flLongDateLongTime;
}

// A copy of a string up to its first NUL.
const wchar_t* StoreStringText(BSTR text, TextArena& arena) {
    if (!text)
        return nullptr;
    return arena.Add(text, wcsnlen(text, SysStringLen(text)));
}

// The runtime's standard coercion to a string. Converting into a variant of its own leaves
// the element as it was and spares the runtime a copy of it.
const wchar_t* StoreConvertedText(const VARIANT& element, TextArena& arena) {
    OwnedVariant owned;
    VARIANT& converted = owned.Get();
    const wchar_t* text = nullptr;
    // The runtime only reads its source, whatever its declaration says.
    VARIANT* source = const_cast<VARIANT*>(&element);
    const HRESULT changed = VariantChangeType(&converted, source, 0, VT_BSTR);
    if (SUCCEEDED(changed) && converted.vt == VT_BSTR)
        text = StoreStringText(converted.bstrVal, arena);
    else if (changed == E_OUTOFMEMORY)
        arena.NoteOutOfMemory();
    return text;
}

// Reals as the runtime writes them: printf's %G with 15 significant digits (7 for singles),
// in the locale's decimal separator and minus sign. The digits of a value written without an
// exponent are made here, exactly; a value with an exponent, one exactly halfway between two
// roundings, and every value of a locale whose shape the runtime does not confirm are asked of
// the runtime, which is slow.
constexpr int doubleDigits = 15;
constexpr int singleDigits = 7;
constexpr int lowestExponent = -4; // %G's own bound for writing without an exponent

struct Wide {
    uint64_t high, low;
};

Wide Multiply(uint64_t a, uint64_t b) {
    const uint64_t aLow = a & 0xffffffffu, aHigh = a >> 32;
    const uint64_t bLow = b & 0xffffffffu, bHigh = b >> 32;
    const uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const uint64_t middle = (lowLow >> 32) + (lowHigh & 0xffffffffu) + (highLow & 0xffffffffu);
    return {aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & 0xffffffffu)};
}

uint64_t PowerOf(uint64_t base, int exponent) {
    uint64_t power = 1;
    while (exponent-- > 0)
        power *= base;
    return power;
}

// m * 2^binary * 10^k cut to a whole number, and how the part cut off compares with one half
// (-1, 0, 1); false when the whole number passes 64 bits. Exact: 5^k * 2^k is 10^k.
bool Scaled(uint64_t m, int binary, int k, uint64_t& whole, int& rest) {
    const Wide product = Multiply(m, PowerOf(5, k));
    const int shift = binary + k;
    rest = -1;
    if (shift >= 0) {
        whole = product.low << shift;
        return product.high == 0 && shift < 64 && (whole >> shift) == product.low;
    }
    const int cut = -shift;
    if (cut >= 64 || (product.high >> cut) != 0)
        return false;
    whole = (product.low >> cut) | (product.high << (64 - cut));
    const uint64_t part = product.low & ((uint64_t{1} << cut) - 1);
    const uint64_t half = uint64_t{1} << (cut - 1);
    rest = part > half ? 1 : part == half ? 0 : -1;
    return true;
}

// The positive value's `digits` significant digits, correctly rounded, as a whole number, and
// the decimal exponent of the first; false where %G writes an exponent or the value lies
// exactly halfway.
bool Significant(double value, int digits, uint64_t& mantissa, int& exponent) {
    int binary = 0;
    const double fraction = std::frexp(value, &binary);
    const uint64_t m = static_cast<uint64_t>(std::ldexp(fraction, 53));
    binary -= 53;
    const uint64_t least = PowerOf(10, digits - 1), most = least * 10;
    exponent = static_cast<int>(std::floor(std::log10(value)));
    for (int tries = 0; tries < 3; ++tries) { // log10 may be one off either way
        if (exponent < lowestExponent - 1 || exponent > digits - 1)
            return false;
        uint64_t whole = 0;
        int rest = 0;
        if (!Scaled(m, binary, digits - 1 - exponent, whole, rest) || whole >= most) {
            ++exponent;
            continue;
        }
        if (whole < least) {
            --exponent;
            continue;
        }
        if (rest == 0)
            return false;
        mantissa = whole + (rest > 0 ? 1 : 0);
        if (mantissa == most) {
            mantissa = least;
            ++exponent;
        }
        return exponent >= lowestExponent && exponent <= digits - 1;
    }
    return false;
}

// The text of a finite real in the learnt shape; false where only the runtime knows it.
bool RealText(double value, int digits, const RealShape& shape, TextBuilder& out) {
    if (value == 0) {
        out.Append(L"0", 1);
        return true;
    }
    uint64_t mantissa = 0;
    int exponent = 0;
    if (!(std::fabs(value) < 1e300) || !Significant(std::fabs(value), digits, mantissa, exponent))
        return false;
    wchar_t written[doubleDigits];
    int last = 0; // past the last digit that is not a trailing zero
    for (int i = digits - 1; i >= 0; --i, mantissa /= 10) {
        written[i] = static_cast<wchar_t>(L'0' + mantissa % 10);
        if (!last && written[i] != L'0')
            last = i + 1;
    }
    if (value < 0)
        out.Append(shape.minus, shape.minusLength);
    const int whole = exponent >= 0 ? exponent + 1 : 0;
    if (whole)
        out.Append(written, whole);
    else if (shape.leadingZero)
        out.Append(L"0", 1);
    if (last > whole) {
        out.Append(shape.separator, shape.separatorLength);
        for (int zeros = -1 - exponent; zeros > 0; --zeros)
            out.Append(L"0", 1);
        out.Append(written + whole, last - whole);
    }
    return !out.Failed();
}

// The runtime's text of a real, into the buffer; false when it has none or it is too long.
bool RuntimeText(VARTYPE type, double value, wchar_t* text, int capacity) {
    VARIANT source;
    VariantInit(&source);
    source.vt = type;
    if (type == VT_R4)
        source.fltVal = static_cast<float>(value);
    else
        source.dblVal = value;
    OwnedVariant owned;
    VARIANT& converted = owned.Get();
    if (FAILED(VariantChangeType(&converted, &source, 0, VT_BSTR)) || converted.vt != VT_BSTR ||
        !converted.bstrVal || SysStringLen(converted.bstrVal) >= static_cast<UINT>(capacity))
        return false;
    wcscpy(text, converted.bstrVal);
    return true;
}

// The pieces around the digits, read off the runtime's texts of 1.5, -1.5 and 0.5.
bool ReadShape(RealShape& shape) {
    wchar_t text[64];
    if (!RuntimeText(VT_R8, 1.5, text, 64))
        return false;
    const int length = static_cast<int>(wcslen(text));
    shape.separatorLength = length - 2;
    if (text[0] != L'1' || text[length - 1] != L'5' || shape.separatorLength < 1 ||
        shape.separatorLength >= 8)
        return false;
    wmemcpy(shape.separator, text + 1, static_cast<size_t>(shape.separatorLength));
    if (!RuntimeText(VT_R8, -1.5, text, 64))
        return false;
    shape.minusLength = static_cast<int>(wcslen(text)) - length;
    if (shape.minusLength < 1 || shape.minusLength >= 8 || text[shape.minusLength] != L'1')
        return false;
    wmemcpy(shape.minus, text, static_cast<size_t>(shape.minusLength));
    if (!RuntimeText(VT_R8, 0.5, text, 64))
        return false;
    shape.leadingZero = text[0] == L'0';
    return true;
}

// The shape, confirmed when the runtime writes a few telling values just as it does.
void LearnShape(RealShape& shape) {
    shape.state = RealShape::unusable;
    if (!ReadShape(shape))
        return;
    auto confirmed = [&shape](VARTYPE type, double value) {
        wchar_t expected[64];
        TextBuilder made;
        return RuntimeText(type, value, expected, 64) &&
               RealText(value, type == VT_R4 ? singleDigits : doubleDigits, shape, made) &&
               wcscmp(made.Data(), expected) == 0;
    };
    for (double value : {1.5, -1.5, 0.5, -0.5, 0.0, -0.0, 1234567.25, -0.000123, 1.0 / 3, -2.0 / 3,
                         123456789012345.0, 100.0})
        if (!confirmed(VT_R8, value))
            return;
    for (float value : {1.0f / 3, -1234.5f, 0.25f, 0.0f})
        if (!confirmed(VT_R4, value))
            return;
    shape.state = RealShape::usable;
}

// A single or double's text as the runtime's conversion gives it, made here where possible.
const wchar_t* StoreRealText(const VARIANT& element, RealShape& shape, TextArena& arena) {
    if (shape.state == RealShape::unknown)
        LearnShape(shape);
    TextBuilder text;
    const bool single = element.vt == VT_R4;
    if (shape.state == RealShape::usable &&
        RealText(single ? element.fltVal : element.dblVal, single ? singleDigits : doubleDigits,
                 shape, text))
        return text.Store(arena);
    return StoreConvertedText(element, arena);
}

} // namespace

CalendarDate DateToCalendar(double date) {
    CalendarDate calendar{};
    if (!(date >= firstValidDate && date <= lastValidDate))
        return calendar;
    const double rounded = date > 0 ? date + halfSecond : date - halfSecond;
    double whole = std::trunc(rounded);
    int32_t seconds = static_cast<int32_t>((std::fabs(rounded) - std::fabs(whole)) * secondsPerDay);
    if (date <= 0 && whole != std::trunc(date)) {
        // A negative date names its day by the whole part and its time by the fraction, so
        // rounding up to midnight moves to the next calendar day, not away from zero.
        whole = std::trunc(date) + 1;
        seconds = 0;
    }
    const int64_t dayNumber = static_cast<int64_t>(whole);
    CivilFromDays(dayNumber + automationEpochFromUnix, calendar.year, calendar.month, calendar.day);
    calendar.dayOfWeek = static_cast<int32_t>(((dayNumber + 693958) % 7 + 7) % 7);
    calendar.hour = seconds / 3600;
    calendar.minute = seconds / 60 % 60;
    calendar.second = seconds % 60;
    calendar.millisecond = 0;
    calendar.valid = true;
    return calendar;
}

void TextBuilder::Append(const wchar_t* piece) {
    Append(piece, static_cast<int>(wcslen(piece)));
}

void TextBuilder::Append(const wchar_t* piece, int pieceLength) {
    kept = nullptr;
    if (failed)
        return;
    if (pieceLength >= capacity - length) {
        failed = true;
        return;
    }
    memcpy(buffer + length, piece, static_cast<size_t>(pieceLength) * sizeof(wchar_t));
    length += pieceLength;
    buffer[length] = L'\0';
}

const wchar_t* TextBuilder::Store(TextArena& arena) const {
    if (failed)
        return nullptr;
    if (kept)
        return kept;
    return arena.Add(buffer, static_cast<size_t>(length));
}

void TextBuilder::AppendRendering(const wchar_t* rendering, int renderingLength) {
    if (!rendering)
        return Fail();
    const bool first = length == 0;
    Append(rendering, renderingLength);
    if (first && !failed && renderings->Kept(rendering))
        kept = rendering;
}

void TextBuilder::AppendDate(const SYSTEMTIME& time, DWORD flags, const wchar_t* picture) {
    if (renderings) {
        int rendered = 0;
        const wchar_t* rendering = renderings->Date(time, flags, picture, rendered);
        return AppendRendering(rendering, rendered);
    }
    wchar_t local[100];
    const int written = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, picture, local, 100);
    if (written <= 0) {
        failed = true;
        return;
    }
    Append(local, written - 1);
}

void TextBuilder::AppendTime(const SYSTEMTIME& time, DWORD flags) {
    // Only the clock fields matter; a value without a valid day still has an hour to show.
    SYSTEMTIME clock = time;
    if (clock.wMonth == 0) {
        clock.wYear = 1899;
        clock.wMonth = 12;
        clock.wDay = 30;
        clock.wDayOfWeek = 6;
    }
    if (renderings) {
        int rendered = 0;
        const wchar_t* rendering = renderings->Time(clock, flags, rendered);
        return AppendRendering(rendering, rendered);
    }
    wchar_t local[100];
    const int written = GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &clock, nullptr, local, 100);
    if (written <= 0) {
        failed = true;
        return;
    }
    Append(local, written - 1);
}

void FormatCurrency(LONGLONG amount, TextBuilder& out) {
    // The magnitude as unsigned, so that the most negative amount is written exactly too.
    const bool negative = amount < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(amount)
                                                  : static_cast<unsigned long long>(amount);
    wchar_t digits[32];
    int length = 0;
    wchar_t reversed[24];
    int count = 0;
    unsigned long long whole = magnitude / 10000;
    do {
        reversed[count++] = static_cast<wchar_t>(L'0' + whole % 10);
        whole /= 10;
    } while (whole);
    if (negative)
        digits[length++] = L'-';
    while (count)
        digits[length++] = reversed[--count];
    digits[length++] = L'.';
    const unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    digits[length++] = static_cast<wchar_t>(L'0' + fraction / 1000);
    digits[length++] = static_cast<wchar_t>(L'0' + fraction / 100 % 10);
    digits[length++] = static_cast<wchar_t>(L'0' + fraction / 10 % 10);
    digits[length++] = static_cast<wchar_t>(L'0' + fraction % 10);
    digits[length] = L'\0';

    wchar_t local[64];
    const int written = GetCurrencyFormatW(LOCALE_USER_DEFAULT, 0, digits, nullptr, local, 64);
    if (written <= 0) {
        out.Fail();
        return;
    }
    out.Append(local, written - 1);
}

SYSTEMTIME ToSystemTime(const CalendarDate& calendar) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(calendar.year);
    time.wMonth = static_cast<WORD>(calendar.month);
    time.wDayOfWeek = static_cast<WORD>(calendar.dayOfWeek);
    time.wDay = static_cast<WORD>(calendar.day);
    time.wHour = static_cast<WORD>(calendar.hour);
    time.wMinute = static_cast<WORD>(calendar.minute);
    time.wSecond = static_cast<WORD>(calendar.second);
    time.wMilliseconds = static_cast<WORD>(calendar.millisecond);
    return time;
}

void FormatDateTime(double date, int32_t format, int32_t grouping, TextBuilder& text,
                    TextBuilder& tag) {
    const CalendarDate calendar = DateToCalendar(date);
    const bool hasDate = calendar.valid && date >= 1.0;
    const bool hasTime = calendar.valid && IsDateAndTimeFormat(format);
    const bool longDate = IsLongDateFormat(format);
    const bool withSeconds = IsSecondsFormat(format);
    const SYSTEMTIME time = ToSystemTime(calendar);

    if (hasDate)
        text.AppendDate(time, longDate ? DATE_LONGDATE : DATE_SHORTDATE, nullptr);
    if (hasDate && hasTime)
        text.Append(L" ");
    if (hasTime)
        text.AppendTime(time, withSeconds ? 0 : TIME_NOSECONDS);
    if (!hasDate && !hasTime)
        text.Append(noDateText);

    FormatDateCaption(calendar, hasDate, longDate, withSeconds, grouping, tag);
}

uint64_t DateTextKey(double date, int32_t format, int32_t grouping) {
    const CalendarDate calendar = DateToCalendar(date);
    const bool hasDate = calendar.valid && date >= 1.0;
    const bool hasTime = calendar.valid && IsDateAndTimeFormat(format);
    uint64_t key = (calendar.valid ? 2 : 0) | (hasDate ? 1 : 0);
    auto add = [&key](bool shown, int32_t field, int bits) {
        key = (key << bits) | (shown ? static_cast<uint64_t>(field) : 0);
    };
    add(hasDate, calendar.year, 14);
    add(hasDate, calendar.month, 4);
    add(hasDate, calendar.day, 5);
    add(hasTime || grouping == datetime::flHour, calendar.hour, 5);
    add(hasTime, calendar.minute, 6);
    add(hasTime && IsSecondsFormat(format), calendar.second, 6);
    return key;
}

void FormatCellText(CellEntry& cell, const VARIANT& element, int32_t format, int32_t grouping,
                    TextArena& arena, DateRenderings* renderings) {
    cell.text = nullptr;
    cell.tag = nullptr;
    switch (element.vt) {
    case VT_EMPTY:
        cell.text = arena.Add(emptyText, sizeof emptyText - 1);
        break;
    case VT_NULL:
        cell.text = arena.Add(nullText, sizeof nullText - 1);
        break;
    case VT_CY: {
        TextBuilder text;
        FormatCurrency(element.cyVal.int64, text);
        cell.text = text.Store(arena);
        break;
    }
    case VT_DATE: {
        TextBuilder text(renderings);
        TextBuilder tag(renderings);
        FormatDateTime(element.date, format, grouping, text, tag);
        cell.text = text.Store(arena);
        // A day caption often reads like the date itself; one copy serves both.
        const bool sameText =
            cell.text && !tag.Failed() && tag.Length() == text.Length() &&
            wmemcmp(tag.Data(), text.Data(), static_cast<size_t>(text.Length())) == 0;
        cell.tag = sameText ? cell.text : tag.Store(arena);
        break;
    }
    case VT_BSTR:
        // The cell's own copy of the string serves as its text: read up to its first NUL, it
        // is that text, and it lives as long as the cell.
        cell.text = cell.value.vt == VT_BSTR && cell.value.bstrVal
                        ? cell.value.bstrVal
                        : StoreStringText(element.bstrVal, arena);
        break;
    case VT_R8:
    case VT_R4:
        cell.text = renderings ? StoreRealText(element, renderings->Reals(), arena)
                               : StoreConvertedText(element, arena);
        break;
    default:
        cell.text = StoreConvertedText(element, arena);
        break;
    }
}
