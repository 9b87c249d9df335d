#include "value_recognition.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sign, digits, optional dot and digits, optional exponent; at least one digit before the
// exponent, and no leading zero before another digit.
bool IsNumberText(const char* t, size_t n, bool& whole) {
    size_t i = (n > 0 && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    const size_t intStart = i;
    while (i < n && IsDigit(t[i]))
        ++i;
    size_t digits = i - intStart;
    if (digits > 1 && t[intStart] == '0')
        return false;
    whole = true;
    if (i < n && t[i] == '.') {
        whole = false;
        const size_t fracStart = ++i;
        while (i < n && IsDigit(t[i]))
            ++i;
        digits += i - fracStart;
    }
    if (digits == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        whole = false;
        ++i;
        if (i < n && (t[i] == '-' || t[i] == '+'))
            ++i;
        const size_t expStart = i;
        while (i < n && IsDigit(t[i]))
            ++i;
        if (i == expStart)
            return false;
    }
    return i == n;
}

// Up to 15 significant digits and 22 decimals, no exponent: the digits as a whole number divided
// by an exact power of ten, which rounds correctly. Otherwise the C library reads it.
double DecimalValue(const char* t, size_t n) {
    static const double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    bool fraction = false, simple = true;
    for (size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0; i < n && simple; ++i) {
        if (t[i] == '.') {
            fraction = true;
        } else if (IsDigit(t[i])) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(t[i] - '0');
            digits += mantissa != 0;
            decimals += fraction;
        } else {
            simple = false;
        }
    }
    if (simple && digits <= 15 && decimals <= 22) {
        const double value = static_cast<double>(mantissa) / powers[decimals];
        return t[0] == '-' ? -value : value;
    }
    return std::strtod(std::string(t, n).c_str(), nullptr);
}

bool ReadNumber(const char* t, size_t n, VARIANT* value) {
    bool whole = false;
    if (!IsNumberText(t, n, whole))
        return false;
    if (whole && n <= 11) {
        int64_t number = 0;
        for (size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0; i < n; ++i)
            number = number * 10 + (t[i] - '0');
        number = t[0] == '-' ? -number : number;
        if (number >= INT32_MIN && number <= INT32_MAX) {
            V_VT(value) = VT_I4;
            V_I4(value) = static_cast<LONG>(number);
            return true;
        }
    }
    const double d = DecimalValue(t, n);
    if (!std::isfinite(d))
        return false;
    V_VT(value) = VT_R8;
    V_R8(value) = d;
    return true;
}

// Reads a fixed number of digits at position i.
bool ReadDigits(const char* t, size_t i, size_t count, int& out) {
    out = 0;
    for (size_t k = i; k < i + count; ++k) {
        if (!IsDigit(t[k]))
            return false;
        out = out * 10 + (t[k] - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Days from 1899-12-30, the automation date's day 0, to a day of the proleptic Gregorian calendar.
long AutomationDay(int year, int month, int day) {
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097L + dayOfEra - 719468L + 25569L;
}

// The year first: yyyy-mm-dd or yyyy/mm/dd, one separator throughout. Day and month in either
// order before the year (03/04/2024) could be read two ways and stay text.
bool ReadDate(const char* t, size_t n, VARIANT* value) {
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (n < 10 || (t[4] != '-' && t[4] != '/') || t[7] != t[4] || !ReadDigits(t, 0, 4, year) ||
        !ReadDigits(t, 5, 2, month) || !ReadDigits(t, 8, 2, day))
        return false;
    if (n > 10) {
        const bool separator = t[10] == ' ' || t[10] == 'T';
        const bool minutes = n == 16 || (n == 19 && t[16] == ':');
        if (!separator || !minutes || t[13] != ':' || !ReadDigits(t, 11, 2, hour) ||
            !ReadDigits(t, 14, 2, minute) || (n == 19 && !ReadDigits(t, 17, 2, second)))
            return false;
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return false;
    const long days = AutomationDay(year, month, day);
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before day 0 the time of day still counts away from it.
    V_VT(value) = VT_DATE;
    V_DATE(value) = days >= 0 ? days + time : days - time;
    return true;
}

} // namespace

bool RecognizeField(const char* bytes, size_t size, VARIANT* value) {
    while (size > 0 && (*bytes == ' ' || *bytes == '\t'))
        ++bytes, --size;
    while (size > 0 && (bytes[size - 1] == ' ' || bytes[size - 1] == '\t'))
        --size;
    if (size == 0 || size > 64)
        return false;
    return IsDigit(bytes[0]) || bytes[0] == '-' || bytes[0] == '+' || bytes[0] == '.'
               ? ReadNumber(bytes, size, value) || ReadDate(bytes, size, value)
               : false;
}
