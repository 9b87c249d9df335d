// The order a reader reads after sorting, against the cell comparison that the order keys and
// ranks stand in for, over random columns of every kind the comparison knows. A failing seed
// replays alone: NORV_SEED=<seed>.

#include "accessible_reading.h"
#include "control/view_control.h"
#include "host_test_support.h"
#include "store/value_compare.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

using Random = std::mt19937;
using V = TestVariant;

V Real(Random& random, bool nan) {
    const double specials[] = {-1e300,   -2.5,     -1,        -0.0,        0.0,  1e-300, 4.9e-324,
                               0.1,      1,        2.5,       10,          1e15, 1e300,  DBL_MAX,
                               -DBL_MAX, INFINITY, -INFINITY, 9.999999999, NAN};
    // Without NaN, also without signs but zero's: the column then ranks by value.
    const double x = random() % 3 ? specials[random() % (std::size(specials) - !nan)]
                                  : double(int(random() % 2001) - 1000) / 8;
    return V::R8(nan || x == 0 ? x : std::fabs(x));
}

// One width of integer a column, with its extremes.
V Integer(Random& random, VARTYPE type) {
    const int64_t small = int64_t(random() % 601) - 300, big = int64_t(random()) << 31 | random();
    const int64_t value = random() % 4 ? small : random() % 2 ? big : -big;
    switch (type) {
    case VT_I1:
        return V::Of(type, char(value));
    case VT_UI1:
        return V::Of(type, BYTE(value));
    case VT_I2:
        return V::Of(type, SHORT(value));
    case VT_UI2:
        return V::Of(type, USHORT(value));
    case VT_I4:
    case VT_INT:
        return V::Of(type, LONG(value));
    case VT_UI4:
    case VT_UINT:
        return V::Of(type, ULONG(value));
    default:
        return V::Of(type, value); // VT_I8, VT_UI8: compared by their texts
    }
}

V Date(Random& random) {
    // Before 1899 too, and with times of day that the short date does not show.
    const double day = double(int(random() % 200001) - 100000) / (random() % 2 ? 1 : 24);
    return V::Date(random() % 4 ? day : std::floor(day / 400));
}

V Word(Random& random) {
    const wchar_t* words[] = {L"ann", L"Ann", L"bob", L"10", L"9", L"", L"a b", L"zed", L"Zed"};
    return V::Str(words[random() % std::size(words)]);
}

// Kinds whose texts never meet, so that the comparison orders them consistently.
V Mixed(Random& random) {
    switch (random() % 8) {
    case 0:
        return V();
    case 1:
        return V::I4(1 + random() % 1000);
    case 2:
        return V::R8(1 + double(random() % 4000) / 4);
    case 3:
        return V::Cy(int64_t(1000000 + random() % 1000000) * 10000);
    case 4:
        return Date(random);
    case 5:
        return V::Bool(random() % 2 != 0);
    case 6:
        return V::Of(VT_NULL, 0);
    default:
        return V::Str(random() % 2 ? L"north" : L"South");
    }
}

// Every numeric width in one column, by value across widths; quarters are exact in each.
V Numeric(Random& random) {
    const VARTYPE types[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT};
    if (random() % 3 == 0)
        return random() % 2 ? V::R8(double(random() % 400) / 4)
                            : V::Of(VT_R4, float(random() % 400) / 4);
    return Integer(random, types[random() % std::size(types)]);
}

V RandomCell(Random& random, int kind) {
    const VARTYPE widths[] = {VT_I1,  VT_UI1, VT_I2,   VT_UI2, VT_I4,
                              VT_UI4, VT_INT, VT_UINT, VT_I8,  VT_UI8};
    switch (kind) {
    case 0:
    case 17:
        return Real(random, kind == 0);
    case 1:
        return V::Cy((int64_t(random()) - (1ll << 31)) * (random() % 2 ? 1 : 100000));
    case 2:
        return Date(random);
    case 3:
        return Word(random);
    case 4:
        return V::Bool(random() % 2 != 0);
    case 5:
        return Mixed(random);
    case 6:
        return Numeric(random);
    default:
        return Integer(random, widths[kind - 7]);
    }
}

std::wstring TextOf(_View* view, LONG record, VARIANT* value) {
    ::Cell* cell = nullptr;
    BSTR text = nullptr;
    if (SUCCEEDED(view->get_Cell(record, 0, &cell))) {
        cell->get_Text(&text);
        cell->get_Value(value);
        cell->Release();
    }
    return Take(text);
}

} // namespace

TEST_F(HostTest, SortedOrderIsTheCellComparisonsForRandomColumnsOfEveryKind) {
    const char* only = getenv("NORV_SEED");
    const unsigned first = only ? unsigned(atoi(only)) : 1, last = only ? first : 72;
    for (unsigned seed = first; seed <= last; ++seed) {
        const int kind = int(seed % 18);
        SCOPED_TRACE(testing::Message() << "seed " << seed << " kind " << kind);
        Random random(seed);
        const int records = 1 + int(random() % 60);
        std::vector<std::vector<V>> rows;
        for (int r = 0; r < records; ++r)
            rows.push_back({RandomCell(random, kind), V::Str(std::to_wstring(r).c_str())});
        ComRef<_View> view(static_cast<_View*>(ViewControl::Create()));
        ASSERT_EQ(S_OK, LoadArray(view.Get(), MakeVariantTable(rows)));
        ASSERT_EQ(S_OK, host->Embed(view.Get(), RECT{0, 0, 300, 200}));
        ComRef<IAccessible> reader;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(host->ControlWindow(), DWORD(OBJID_CLIENT),
                                                   __uuidof(IAccessible), reader.ReceiveVoid()));

        // The reference: the texts a host reads, refined by the values where they differ.
        std::vector<std::wstring> texts(records);
        std::vector<VARIANT> values(records);
        for (LONG r = 0; r < records; ++r)
            texts[r] = TextOf(view.Get(), r, &values[r]);
        auto compare = [&](int a, int b) {
            const int text = lstrcmpW(texts[a].c_str(), texts[b].c_str());
            return text == 0 ? 0 : CompareValues(values[a], values[b], text);
        };
        BSTR label = nullptr;
        ASSERT_EQ(S_OK, view->get_ColumnLabel(1, &label));
        const std::wstring second = Take(label) + L": ";
        std::vector<int> order(records);
        for (int r = 0; r < records; ++r)
            order[r] = r;
        // Loaded, the records are in ascending order; a click on the header reverses it.
        for (const bool ascending : {true, false}) {
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return ascending ? compare(a, b) < 0 : compare(a, b) > 0;
            });
            if (!ascending) {
                ASSERT_EQ(S_OK, reader->accDoDefaultAction(I4(1)));
            }
            std::vector<std::wstring> read, expected;
            for (const std::wstring& line : ReadTree(reader.Get()))
                if (line.rfind(L"list item|", 0) == 0)
                    read.push_back(line.substr(0, line.find(L"|Double")));
            for (int r : order)
                expected.push_back(L"list item|" + texts[r] + L"||" + second + std::to_wstring(r));
            ASSERT_EQ(read, expected) << (ascending ? "ascending" : "descending");
        }
        for (VARIANT& value : values)
            VariantClear(&value);
    }
}
