#include "ordering_support.h"
#include "store/cell_text.h"

#include <cstdlib>

namespace {

std::string Text(const RecordStore& store, int32_t record, int32_t column) {
    return Utf8(DisplayText(store.Cell(record, column)));
}

// Data(lower1 To ..., lower2 To ...) as a host builds it: element (i, j) holds 10 * i + j.
SafeArrayBuilder NumberedArray(VARTYPE type, LONG lower1, ULONG count1, LONG lower2, ULONG count2) {
    SafeArrayBuilder b(type, lower1, count1, lower2, count2);
    for (LONG i = lower1; i < lower1 + static_cast<LONG>(count1); ++i)
        for (LONG j = lower2; j < lower2 + static_cast<LONG>(count2); ++j)
            b.Put(i, j, type == VT_I2 ? V::I2(10 * i + j) : V::I4(10 * i + j));
    return b;
}

// A descriptor built by hand, with the given element size and no type stored.
SafeArrayBuilder HandMadeArray(ULONG elementSize, ULONG count1, ULONG count2, bool data = true) {
    SAFEARRAY* array = nullptr;
    SafeArrayAllocDescriptor(2, &array);
    array->cbElements = elementSize;
    array->rgsabound[0] = {count2, 0}; // the descriptor lists the last dimension first
    array->rgsabound[1] = {count1, 0};
    if (data)
        SafeArrayAllocData(array);
    return SafeArrayBuilder(array);
}

// Revert swaps what dimension 1 indexes; only spans count. Each case reloads a disturbed store.
TEST(LoadShape, OrientationLowerBoundsEmptyRecordsAndReloads) {
    const std::tuple<VARTYPE, LONG, ULONG, LONG, ULONG, bool> cases[] = {
        {VT_VARIANT, -2, 3, 7, 2, false},  {VT_VARIANT, -2, 3, 7, 2, true},
        {VT_I2, -1, 4, 5, 3, false},       {VT_I2, -1, 4, 5, 3, true},
        {VT_VARIANT, 0, 4, 1, 0, false},   {VT_VARIANT, INT32_MIN, 0, 1, 3, false},
        {VT_I2, 2, 2, INT32_MIN, 0, true}, {VT_VARIANT, INT32_MIN, 0, INT32_MIN, 0, false}};
    RecordStore store;
    for (auto [type, lower1, count1, lower2, count2, revert] : cases) {
        SCOPED_TRACE(testing::Message() << type << " " << lower1 << " " << revert);
        SafeArrayBuilder data = NumberedArray(type, lower1, count1, lower2, count2);
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, revert));
        ASSERT_EQ(store.columnCount, static_cast<int32_t>(revert ? count2 : count1));
        ASSERT_EQ(store.recordCount, static_cast<int32_t>(revert ? count1 : count2));
        EXPECT_EQ(std::tuple(store.groupLevelCount, store.sortPosition, store.anchorRecord),
                  std::tuple(0, 0, -1));
        for (int32_t col = 0; col < store.columnCount; ++col)
            EXPECT_TRUE(store.columnOrder[col] == col && store.sortPriority[col] == col &&
                        store.sortAscending[col] && store.groupAscending[col]);
        for (int32_t r = 0; r < store.recordCount; ++r) {
            EXPECT_EQ(store.recordOrder[r], r);
            for (int32_t col = 0; col < store.columnCount; ++col) {
                const LONG i = lower1 + (revert ? r : col), j = lower2 + (revert ? col : r);
                EXPECT_EQ(store.Cell(r, col).value.vt, type == VT_I2 ? VT_I2 : VT_I4);
                EXPECT_EQ(Text(store, r, col), std::to_string(10 * i + j)) << r << "," << col;
            }
        }
        if (store.recordCount > 1 && store.columnCount > 1) {
            store.columnOrder[0] = store.recordOrder[0] = store.sortPriority[0] = 1;
            store.sortAscending[1] = store.groupAscending[0] = 0;
        }
        store.groupLevelCount = store.sortPosition = store.anchorRecord = 1;
    }
}

// Each value reloads one store.
TEST(LoadTyped, EveryAcceptedElementTypeLoadsItsValueAndText) {
    RecordStore store;
    std::string texts;
    HostObject object([] {}); // reads "middle"
    for (const V& value :
         {V::Of(VT_UI1, BYTE(200)), V::As(VT_I1, L"-5"), V::I2(-300), V::As(VT_UI2, L"65535"),
          V::I4(-2147483647 - 1), V::As(VT_UI4, L"4294967295"), V::As(VT_INT, L"77"),
          V::As(VT_UINT, L"78"), V::Of(VT_I8, -9000000000LL), V::As(VT_UI8, L"18000000000"),
          V::Of(VT_R4, 1.5f), V::R8(0.1 + 0.2), V::Cy(12345), V::Date(45365.0), V::Str(L"abc"),
          V::Bool(true), V::Error(5), V::As(VT_DECIMAL, L"-123.45"),
          V::Of(VT_DISPATCH, (object.AddRef(), static_cast<IDispatch*>(&object)))}) {
        const VARTYPE type = (*value).vt;
        SafeArrayBuilder data(type, 0, 1, 0, 1);
        ASSERT_EQ(data.Put(0, 0, value), S_OK) << type;
        ASSERT_TRUE(store.SetData(data.get(), 0, datetime::flDay, false)) << type;
        ASSERT_EQ(store.recordCount * store.columnCount, 1);
        EXPECT_EQ(store.Cell(0, 0).value.vt, type);
        texts += Text(store, 0, 0) + "|";
        // The object's references: the test's, the list's, the array's and the store's.
        EXPECT_TRUE(type != VT_DISPATCH || object.references == 4);
    }
    EXPECT_EQ(texts, "200|-5|-300|65535|-2147483648|4294967295|77|78|-9000000000|18000000000|1.5|"
                     "0.3|$1.23|3/14/2024|abc|-1||-123.45|middle|");
    EXPECT_TRUE(store.SetData(nullptr, 0, 0, false));
    EXPECT_EQ(object.references, 1u); // each load let its reference go
}

// Refused and unholdable loads keep data and view, and give back references and memory.
TEST(LoadFailure, RefusedOrUnholdableArraysChangeNothing) {
    SAFEARRAYBOUND one{3, 0}, three[3] = {{2, 0}, {2, 0}, {2, 0}}, large{1 << 20, 0};
    SafeArrayBuilder refused[] = {SafeArrayBuilder(SafeArrayCreate(VT_VARIANT, 1, &one)),
                                  SafeArrayBuilder(SafeArrayCreate(VT_VARIANT, 3, three)),
                                  SafeArrayBuilder(VT_UNKNOWN, 0, 2, 0, 2),
                                  HandMadeArray(4, 2, 2), // made a record array below
                                  HandMadeArray(8, 2, 2), // untyped elements of another size
                                  SafeArrayBuilder(VT_I4, 0, 2, 0, 2),
                                  // no cells, but 65,537 or 2^31 - 1 entries in the other dimension
                                  SafeArrayBuilder(VT_VARIANT, 0, 65537, 0, 0),
                                  HandMadeArray(sizeof(VARIANT), 0, 0x7FFFFFFF, false),
                                  HandMadeArray(sizeof(VARIANT), 1, 0x7FFFFFFF, false)};
    refused[7].get()->fFeatures = refused[8].get()->fFeatures = FADF_VARIANT; // no data behind
    refused[3].get()->fFeatures = FADF_RECORD; // four-byte records are no integers
    refused[5].get()->cbElements = 64;         // an element size that contradicts the type
    HostObject object([] {}, std::wstring(4 << 20, L'x'));
    SafeArrayBuilder array(SafeArrayCreate(VT_I4, 1, &large));
    SAFEARRAY* arrayRef = array.get();
    auto arrays = [&](size_t count) {
        return MakeColumn(std::vector<V>(count, V::Of(VT_BYREF | VT_ARRAY | VT_I4, &arrayRef)));
    };
    const bool bits32 = sizeof(void*) == 4;
    SafeArrayBuilder count = UnholdableArray(), block(VT_UI1, 0, 10000, 0, bits32 ? 10000 : 1);
    SafeArrayBuilder values = arrays(100), again = arrays(12);
    SafeArrayBuilder texts = MakeColumn(std::vector<V>(100, V::Of(VT_DISPATCH, &object)));
    object.AddRef(); // the variant above released one it never took
    std::vector<std::pair<SAFEARRAY*, HRESULT>> cases = {{count.get(), E_OUTOFMEMORY}};
    if (bits32)
        for (SAFEARRAY* unholdable : {block.get(), values.get(), texts.get()})
            cases.push_back({unholdable, E_OUTOFMEMORY});
    for (const SafeArrayBuilder& r : refused)
        cases.push_back({r.get(), E_INVALIDARG});
    RecordStore store;
    SafeArrayBuilder shown = NumberedArray(VT_VARIANT, 0, 2, 0, 3);
    // Read without allocating: it runs while memory is short.
    auto intact = [&](const CellEntry* cells) {
        bool same = store.cells == cells && store.columnCount == 2 && store.recordCount == 3 &&
                    store.groupLevelCount == 1 && store.columnOrder[0] == 1;
        for (int32_t r = 0; r < 3; ++r)
            for (int32_t col = 0; col < 2; ++col)
                same = same && _wtoi(DisplayText(store.Cell(r, col))) == 10 * col + r;
        return same;
    };
    const ULONG references = object.references;
    for (size_t i = 0; i < cases.size(); ++i)
        for (bool revert : {false, true}) {
            const auto [data, expected] = cases[i];
            const bool shortOfMemory = data == values.get() || data == texts.get();
            ASSERT_TRUE(store.SetData(shown.get(), 0, 0, false)); // then grouped and reordered
            store.groupLevelCount = 1;
            std::swap(store.columnOrder[0], store.columnOrder[1]);
            const CellEntry* cells = store.cells;
            // Short of memory: a 32-bit process's free address space taken but 64 MB.
            std::vector<void*> taken;
            void* spare = shortOfMemory
                              ? VirtualAlloc(nullptr, 64 << 20, MEM_RESERVE, PAGE_NOACCESS)
                              : nullptr;
            for (size_t size = size_t(1) << 30; spare && size >= 65536;)
                if (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                    taken.push_back(block);
                else
                    size /= 2;
            VirtualFree(spare, 0, MEM_RELEASE);
            const bool loaded = store.SetData(data, 0, 0, revert);
            const HRESULT failure = store.LoadFailure();
            const bool unchanged = intact(cells);
            // Unless the failed load gave its memory back, 48 MB of copies do not fit in 64.
            const bool loadedAfter = !shortOfMemory || store.SetData(again.get(), 0, 0, false);
            for (void* block : taken)
                VirtualFree(block, 0, MEM_RELEASE);
            SCOPED_TRACE(testing::Message() << "case " << i << (revert ? ", reverted" : ""));
            EXPECT_EQ(std::make_tuple(loaded, failure, unchanged, loadedAfter),
                      std::make_tuple(false, expected, true, true));
            EXPECT_EQ(object.references, references);
        }
    refused[3].get()->fFeatures = 0; // there is no record description to release
    refused[5].get()->cbElements = 4;
}

// By-reference elements, nested arrays and strings with a NUL are copied; null ones load empty.
TEST(LoadValues, DeepCopiesAndReferencesToNothing) {
    LONG hostValue = 42;
    SAFEARRAYBOUND bound{2, 0};
    VARIANT innerNothing{}; // a reference to a null string
    innerNothing.vt = VT_BYREF | VT_BSTR;
    void* const nothing = nullptr;
    SafeArrayBuilder data = MakeColumn(
        {V::Of(VT_BYREF | VT_I4, &hostValue),
         V::Of(VT_ARRAY | VT_I4, SafeArrayCreate(VT_I4, 1, &bound)),
         V::Of(VT_BSTR, SysAllocStringLen(L"ab\0cd", 5)), V::Of(VT_BYREF | VT_I4, nothing),
         V::Of(VT_BYREF | VT_VARIANT, nothing), V::Of(VT_BYREF | VT_VARIANT, &innerNothing),
         V::Of(VT_BYREF | VT_DATE, nothing)});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    hostValue = 7;
    EXPECT_EQ(std::pair(store.Cell(0, 0).value.vt, store.Cell(0, 0).value.lVal),
              std::pair(VARTYPE(VT_I4), 42L));
    EXPECT_EQ(store.Cell(1, 0).value.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(store.Cell(1, 0).text, nullptr);
    EXPECT_EQ(SysStringLen(store.Cell(2, 0).value.bstrVal), 5u);
    EXPECT_EQ(Text(store, 2, 0), "ab");
    for (int32_t r = 3; r < 7; ++r)
        EXPECT_EQ(std::pair(store.Cell(r, 0).value.vt, Text(store, r, 0)),
                  std::pair(VARTYPE(VT_EMPTY), std::string("<EMPTY>")))
            << r;
}

// Defaults take no entry; what was set takes one and survives every load.
TEST(ColumnInfo, DefaultsCostNothingAndSettingsSurviveLoads) {
    RecordStore store;
    auto at = [&](int32_t i) { // by display position while loaded, else by column index
        return std::make_tuple(std::wstring(store.LabelAt(i)), store.WidthAt(i), store.AlignAt(i));
    };
    using Info = std::tuple<std::wstring, int32_t, int32_t>;
    EXPECT_EQ(at(11), Info(L"COLUMN 11", 100, 0));
    EXPECT_EQ(std::pair(at(INT32_MAX), store.WidthAt(1000000000)),
              std::pair(Info(L"COLUMN 2147483647", 100, 0), 100));
    store.columnInfo.SetLabel(1, L"Name");
    store.columnInfo.SetLabel(2, nullptr); // absent reads as empty
    store.columnInfo.SetAlign(1, 7);
    store.SetWidthAt(1, 250);
    store.SetWidthAt(2, 0);
    // The widest header without records, then a later load of more columns.
    ASSERT_TRUE(store.SetData(SafeArrayBuilder(VT_VARIANT, 0, 65536, 0, 0).get(), 0, 0, false));
    EXPECT_EQ(std::pair(store.columnCount, store.recordCount), std::pair(65536, 0));
    ASSERT_TRUE(store.SetData(SafeArrayBuilder(VT_VARIANT, 0, 20, 0, 1).get(), 0, 0, false));
    EXPECT_EQ(store.columnInfo.EntryCount(), 2);
    EXPECT_EQ(std::make_tuple(at(1), at(2), at(19)),
              std::make_tuple(Info(L"Name", 250, 7), Info(L"", 0, 0), Info(L"COLUMN 19", 100, 0)));
    std::swap(store.columnOrder[0], store.columnOrder[2]);
    EXPECT_EQ(std::pair(at(0), at(2)), std::pair(Info(L"", 0, 0), Info(L"COLUMN 0", 100, 0)));
    store.SetWidthAt(30, 33);
    EXPECT_EQ(at(30), Info(L"COLUMN 30", 33, 0));
    // An empty or null value empties the store and keeps them too.
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false));
    EXPECT_EQ(std::pair(store.columnCount + store.recordCount, at(1)),
              std::pair(0, Info(L"Name", 250, 7)));
    // A new DPI scales every width, the default too, to the nearest pixel.
    store.columnInfo.ScaleWidths(3, 2);
    EXPECT_EQ(std::pair(store.columnInfo.Width(30), store.columnInfo.Width(5)), std::pair(50, 150));
}

} // namespace
