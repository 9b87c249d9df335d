#include "value_recognition.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Sign, digits, optional dot and digits, optional exponent; at least one digit before the
// exponent, and no leading zero before another digit.
bool IsNumberText(const std::wstring& t, bool& whole) {
    size_t i = (!t.empty() && (t[0] == L'-' || t[0] == L'+')) ? 1 : 0;
    const size_t intStart = i;
    while (i < t.size() && IsDigit(t[i]))
        ++i;
    size_t digits = i - intStart;
    if (digits > 1 && t[intStart] == L'0')
        return false;
    whole = true;
    if (i < t.size() && t[i] == L'.') {
        whole = false;
        const size_t fracStart = ++i;
        while (i < t.size() && IsDigit(t[i]))
            ++i;
        digits += i - fracStart;
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
        whole = false;
        ++i;
        if (i < t.size() && (t[i] == L'-' || t[i] == L'+'))
            ++i;
        const size_t expStart = i;
        while (i < t.size() && IsDigit(t[i]))
            ++i;
        if (i == expStart)
            return false;
    }
    return i == t.size();
}

bool ReadNumber(const std::wstring& t, VARIANT* value) {
    bool whole = false;
    if (!IsNumberText(t, whole))
        return false;
    errno = 0;
    if (whole) {
        const long long n = std::wcstoll(t.c_str(), nullptr, 10);
        if (errno == 0 && n >= -2147483647LL - 1 && n <= 2147483647LL) {
            V_VT(value) = VT_I4;
            V_I4(value) = static_cast<LONG>(n);
            return true;
        }
        errno = 0;
    }
    const double d = std::wcstod(t.c_str(), nullptr);
    if (errno == ERANGE)
        return false;
    V_VT(value) = VT_R8;
    V_R8(value) = d;
    return true;
}

// Reads a fixed number of digits at position i.
bool ReadDigits(const std::wstring& t, size_t i, size_t count, int& out) {
    if (i + count > t.size())
        return false;
    out = 0;
    for (size_t k = i; k < i + count; ++k) {
        if (!IsDigit(t[k]))
            return false;
        out = out * 10 + (t[k] - L'0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The year first: yyyy-mm-dd or yyyy/mm/dd, one separator throughout. Day and month in either
// order before the year (03/04/2024) could be read two ways and stay text.
bool ReadDate(const std::wstring& t, VARIANT* value) {
    SYSTEMTIME st = {};
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (t.size() < 10 || (t[4] != L'-' && t[4] != L'/') || t[7] != t[4] ||
        !ReadDigits(t, 0, 4, year) || !ReadDigits(t, 5, 2, month) || !ReadDigits(t, 8, 2, day))
        return false;
    if (t.size() > 10) {
        const bool separator = t[10] == L' ' || t[10] == L'T';
        const bool minutes = t.size() == 16 || (t.size() == 19 && t[16] == L':');
        if (!separator || !minutes || t[13] != L':' || !ReadDigits(t, 11, 2, hour) ||
            !ReadDigits(t, 14, 2, minute) || (t.size() == 19 && !ReadDigits(t, 17, 2, second)))
            return false;
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        return false;
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    double date = 0;
    if (!SystemTimeToVariantTime(&st, &date))
        return false;
    V_VT(value) = VT_DATE;
    V_DATE(value) = date;
    return true;
}

} // namespace

bool RecognizeValue(const std::wstring& text, VARIANT* value) {
    const std::wstring t = Trimmed(text);
    if (t.empty() || ReadNumber(t, value) || ReadDate(t, value))
        return true;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy)
        return false;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = copy;
    return true;
}
