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
#include <numeric>
#include <random>

namespace {

using V = TestVariant;
const VARTYPE integers[] = {VT_I1,  VT_UI1,  VT_I2, VT_UI2, VT_I4, VT_UI4,
                            VT_INT, VT_UINT, VT_I8, VT_UI8}; // the last two compare by their texts
const double reals[] = {-1e300,   -2.5,     -1,        -0.0,     0.0,  1e-300, 4.9e-324,
                        0.1,      1,        2.5,       10,       1e15, 1e300,  DBL_MAX,
                        -DBL_MAX, INFINITY, -INFINITY, 9.999999, NAN};

// A cell of a column of one kind: 0 reals, 1 reals without NaN and signs (ranked by value),
// 2 currency, 3 dates, 4 texts, 5 Booleans, 6 mixed kinds whose texts never meet, 7 every
// numeric width at once, 8 on: one width of integer each.
V RandomCell(std::mt19937& random, int kind) {
    auto any = [&](int below) { return int(random() % unsigned(below)); };
    const int64_t big = int64_t(random()) << 31 | random();
    const int64_t integer = any(4) ? any(601) - 300 : any(2) ? big : -big;
    // Before 1899 too, and with times that the short date does not show.
    const double day = double(any(200001) - 100000) / (any(2) ? 1 : 24);
    const double real =
        any(3) ? reals[any(int(std::size(reals)) - (kind == 1))] : (any(2001) - 1000) / 8.0;
    const wchar_t* words[] = {L"ann", L"Ann", L"bob", L"10", L"9", L"", L"a b", L"Zed", L"zed"};
    switch (kind) {
    case 0:
    case 1:
        return V::R8(kind == 0 || real == 0 ? real : std::fabs(real));
    case 2:
        return V::Cy(integer * (any(2) ? 1 : 100000));
    case 3:
        return V::Date(day);
    case 4:
        return V::Str(words[any(int(std::size(words)))]);
    case 5:
        return V::Bool(any(2));
    case 6: {
        const V mixed[] = {V(),
                           V::Of(VT_NULL, 0),
                           V::I4(1 + any(1000)),
                           V::R8(1 + any(4000) / 4.0),
                           V::Cy((1000000 + any(1000000)) * 10000ll),
                           V::Date(day),
                           V::Bool(any(2)),
                           V::Str(any(2) ? L"north" : L"South")};
        return mixed[any(int(std::size(mixed)))];
    }
    case 7: // quarters are exact in every width of real
        return any(3)   ? V::Of(integers[any(8)], integer)
               : any(2) ? V::R8(any(400) / 4.0)
                        : V::Of(VT_R4, any(400) / 4.0f);
    default: // the low bytes of the integer: its value in that width
        return V::Of(integers[kind - 8], integer);
    }
}

} // namespace

TEST_F(HostTest, SortedOrderIsTheCellComparisonsForRandomColumnsOfEveryKind) {
    const char* only = getenv("NORV_SEED");
    const unsigned first = only ? unsigned(atoi(only)) : 1, last = only ? first : 72;
    for (unsigned seed = first; seed <= last; ++seed) {
        const int kind = int(seed % 18), records = 1 + int(seed * 7 % 60);
        SCOPED_TRACE(testing::Message() << "seed " << seed << " kind " << kind);
        std::mt19937 random(seed);
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
        std::vector<std::wstring> texts;
        std::vector<V> values;
        for (LONG r = 0; r < records; ++r) {
            ::Cell* cell = nullptr;
            BSTR text = nullptr;
            values.emplace_back();
            ASSERT_EQ(S_OK, view->get_Cell(r, 0, &cell));
            cell->get_Text(&text), cell->get_Value(&values.back().Mutable()), cell->Release();
            texts.push_back(Take(text));
        }
        auto compare = [&](int a, int b) {
            const int text = lstrcmpW(texts[a].c_str(), texts[b].c_str());
            return text == 0 ? 0 : CompareValues(*values[a], *values[b], text);
        };
        BSTR label = nullptr;
        ASSERT_EQ(S_OK, view->get_ColumnLabel(1, &label));
        const std::wstring second = Take(label) + L": ";
        std::vector<int> order(records);
        std::iota(order.begin(), order.end(), 0);
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
    }
}
