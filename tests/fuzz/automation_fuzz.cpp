// Hostile calls on _View and Cell through Invoke and the vtables, and mutated property streams,
// between loads whose values call back: counts, refusals, saved state and memory hold after every
// call, references after every case.

#include "control/com_test_support.h"
#include "fuzz/fuzz_support.h"
#include "store/safe_array_builder.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string_view>
#include <utility>

namespace {

// Builds the hostile values of one step and releases everything they hold afterwards.
class Values {
public:
    explicit Values(IDispatch* host) : host(host) {}
    ~Values() { Clear(); }
    IDispatch* host; // the object that the values made from now on refer to

    // A value owned by this object until Clear; callers pass shallow copies of it.
    VARIANT& Make(int depth = 0) {
        static const VARTYPE scalars[] = {VT_EMPTY, VT_NULL, VT_I4, VT_I4,    VT_R8,
                                          VT_DATE,  VT_BOOL, VT_I1, VT_UI1,   VT_I2,
                                          VT_UI2,   VT_UI4,  VT_I8, VT_UI8,   VT_INT,
                                          VT_UINT,  VT_R4,   VT_CY, VT_ERROR, VT_DECIMAL};
        static const double reals[] = {0, -1, 0.5, 1e300, -1e-300, 2958466, -657435, 45365.5};
        VARIANT& v = Own();
        switch (random.Below(depth > 1 ? 4 : 5)) {
        case 0: // any scalar: a small or edge number, a date-like real, or any bits
            v.llVal = random.OneIn(3) ? random.Next() : random.Index();
            if (random.OneIn(3))
                v.dblVal = random.Pick(reals);
            v.decVal.scale = static_cast<BYTE>(random.Below(29)); // a valid decimal if one
            v.decVal.sign = random.OneIn(2) ? DECIMAL_NEG : 0;
            v.decVal.Hi32 = random.Below(3);
            V_VT(&v) = random.Pick(scalars);
            break;
        case 1:
            V_VT(&v) = VT_BSTR, V_BSTR(&v) = Text();
            break;
        case 2:
            V_VT(&v) = random.OneIn(2) ? VT_DISPATCH : VT_UNKNOWN, V_DISPATCH(&v) = Object();
            break;
        case 3: // by reference: to nothing, to a value's payload, or to a whole variant
            if (random.OneIn(3)) {
                V_VT(&v) = VT_BYREF | (random.OneIn(2) ? VT_VARIANT : VT_I4), v.byref = nullptr;
            } else {
                VARIANT& target = Make(depth + 1);
                const bool whole =
                    random.OneIn(2) || (V_VT(&target) & VT_BYREF) || V_VT(&target) == VT_DECIMAL;
                V_VT(&v) = VT_BYREF | (whole ? VARTYPE(VT_VARIANT) : V_VT(&target));
                v.byref = whole ? static_cast<void*>(&target) : &target.llVal;
            }
            break;
        default:
            return MakeArray(depth);
        }
        return v;
    }

    // Labelled as its element type or not; with `bare`, a third are descriptors without data.
    VARIANT& MakeArray(int depth, bool bare = false) {
        VARIANT& v = Own();
        SAFEARRAY* array = bare && random.OneIn(3) ? Descriptor() : Filled(depth);
        VARTYPE type = VT_VARIANT;
        if (array)
            SafeArrayGetVartype(array, &type);
        V_VT(&v) = VT_ARRAY | (random.OneIn(6) ? VARTYPE(random.Below(80)) : type);
        V_ARRAY(&v) = array;
        return v;
    }

    void Clear() { // a reference owns nothing; an array goes whatever its label says
        for (VARIANT& v : owned)
            if (!(V_VT(&v) & (VT_ARRAY | VT_BYREF)))
                VariantClear(&v);
            else if (!(V_VT(&v) & VT_BYREF) &&
                     !std::count(descriptors.begin(), descriptors.end(), V_ARRAY(&v)))
                SafeArrayDestroy(V_ARRAY(&v));
        owned.clear();
        for (SAFEARRAY* array : descriptors) {
            array->fFeatures &= ~(FADF_RECORD | FADF_HAVEIID | FADF_UNKNOWN | FADF_DISPATCH);
            SafeArrayDestroyDescriptor(array);
        }
        descriptors.clear();
    }

    // No text, a usual one, one with a NUL, or any code units (lone surrogates among them).
    BSTR Text() {
        static const std::wstring_view texts[] = {L"",  L"abc",  L"\u00e9t\u00e9", L"z",
                                                  L"1", L"True", {L"a\0b", 3}};
        const std::wstring_view text = random.Pick(texts);
        const uint32_t kind = random.Below(8);
        if (kind > 1)
            return SysAllocStringLen(text.data(), UINT(text.size()));
        BSTR made = kind ? SysAllocStringLen(nullptr, random.Below(5000)) : nullptr;
        for (UINT i = 0; made && i < SysStringLen(made); ++i)
            made[i] = static_cast<wchar_t>(random.Next());
        return made;
    }

private:
    VARIANT& Own() { return owned.emplace_back(VARIANT{}); }
    IDispatch* Object() { return random.OneIn(4) ? nullptr : (host->AddRef(), host); }
    // Of an element kind and size the store must refuse or bound, counts up to 2^31 - 1.
    SAFEARRAY* Descriptor() {
        static const VARTYPE types[] = {VT_RECORD, VT_UNKNOWN, VT_DISPATCH, VT_VARIANT, VT_I4};
        static const ULONG counts[] = {0, 1, 3, 65536, 65537, 0x7FFFFFFF};
        SAFEARRAY* array = nullptr;
        const UINT dimensions = 1 + random.Below(4);
        if (FAILED(SafeArrayAllocDescriptorEx(random.Pick(types), dimensions, &array)))
            return nullptr;
        for (UINT d = 0; d < dimensions; ++d)
            array->rgsabound[d] = {random.Pick(counts), random.Index()};
        if (random.OneIn(3))
            array->cbElements = random.Below(40);
        if (random.OneIn(5))
            array->cDims = 0; // no dimension at all; freeing does not read it
        descriptors.push_back(array);
        return array;
    }
    SAFEARRAY* Filled(int depth) {
        static const VARTYPE types[] = {VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_BSTR, VT_I4,
                                        VT_I2,      VT_UI1,     VT_R8,      VT_DATE, VT_DISPATCH,
                                        VT_UNKNOWN, VT_DECIMAL, VT_BOOL,    VT_CY,   VT_I8};
        static const LONG lowers[] = {0, 1, -3, 7, INT32_MIN, INT32_MAX - 2};
        const UINT dimensions = 1 + random.Below(4);
        SAFEARRAYBOUND bounds[4];
        ULONG elements = 1;
        for (UINT d = 0; d < dimensions; ++d) {
            bounds[d] = {elements > 60 ? 1 : random.Below(6), random.Pick(lowers)};
            elements *= bounds[d].cElements;
        }
        const VARTYPE type = random.Pick(types);
        SAFEARRAY* array = SafeArrayCreate(type, dimensions, bounds);
        for (ULONG i = 0; array && array->pvData && i < elements; ++i) {
            BYTE* at = static_cast<BYTE*>(array->pvData) + i * array->cbElements;
            if (type == VT_VARIANT)
                VariantCopy(reinterpret_cast<VARIANT*>(at), &Make(depth + 1));
            else if (type == VT_BSTR)
                *reinterpret_cast<BSTR*>(at) = Text();
            else if (type == VT_DISPATCH || type == VT_UNKNOWN)
                *reinterpret_cast<IDispatch**>(at) = Object();
            else if (type != VT_DECIMAL)
                for (ULONG b = 0; b < array->cbElements; ++b)
                    at[b] = static_cast<BYTE>(random.Next());
        }
        return array;
    }

    std::deque<VARIANT> owned; // stable addresses: by-reference values point into it
    std::vector<SAFEARRAY*> descriptors;
};

using Bytes = std::vector<BYTE>;

void Put(Bytes& bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// A stream as the control writes it (or with Enabled of another type), then mutated.
Bytes MakeStream() {
    // 0x2003: an array of I4; 0x400B: a Boolean by reference.
    static const VARTYPE types[] = {VT_BOOL, VT_BOOL, VT_I2,      VT_I4,       VT_UI1,
                                    VT_R8,   VT_BSTR, VT_EMPTY,   VT_NULL,     VT_ERROR,
                                    VT_CY,   VT_DATE, VT_I8,      VT_DISPATCH, VT_VARIANT,
                                    0x2003,  0x400B,  VT_DECIMAL, 0xFFFF};
    static const uint64_t lengths[] = {0, 1, 3, 256, 258, 0x7FFFFFFF, ~0ull};
    Bytes bytes(16 + random.Below(12));
    Put(bytes, 0, random.OneIn(10) ? random.Next() : 0x300 - random.Below(2), 4);
    Put(bytes, 4, random.Next(), 8);
    const VARTYPE type = random.Pick(types);
    Put(bytes, 12, type, 2);
    Put(bytes, 14, type == VT_BSTR ? 2 * random.Below(6) : random.Next(), 8);
    for (int edits = random.Below(4); edits > 0; --edits) {
        const uint32_t edit = random.Below(5), size = static_cast<uint32_t>(bytes.size());
        if (edit == 0 && size)
            bytes[random.Below(size)] ^= static_cast<BYTE>(1 + random.Below(255));
        else if (edit == 1)
            bytes.resize(random.Below(size + 1));
        else if (edit == 2)
            Put(bytes, 14, random.Pick(lengths), 4);
        else // random bytes added to it or in its place
            bytes.resize(edit == 3 ? size + random.Below(300) : random.Below(40));
        for (size_t i = edit == 3 ? size : edit == 4 ? 0 : bytes.size(); i < bytes.size(); ++i)
            bytes[i] = static_cast<BYTE>(random.Next());
    }
    return bytes;
}

struct Shape {
    explicit Shape(_View* view) {
        view->get_RecordCount(&records);
        view->get_ColumnCount(&columns);
        view->get_SelectedRecord(&selected);
    }
    Shape(LONG records, LONG columns) : records(records), columns(columns) {}
    LONG records = 0, columns = 0, selected = -1;
};

struct AutomationCase {
    void Run(int steps) {
        if (!fuzz.Check((view = NewView()) != nullptr, "create"))
            return;
        const SIZE_T start = PrivateBytes();
        for (int i = 0; i < steps; ++i) {
            const Shape before(view);
            loaded = false;
            const HRESULT hr = OneCall();
            const SIZE_T bytes = PrivateBytes();
            values.Clear();
            CheckAfter(hr, before, bytes > start ? bytes - start : 0);
        }
        for (Cell* cell : cells)
            if (cell)
                cell->Release();
        view->Release();
        fuzz.Check(host.references == 1 && caller.references == 1, "host references left: %lu",
                   host.references + caller.references - 2);
        // The runtime keeps the arguments it converted when a later one fails to convert.
        fuzz.tally += invokeHost.references - 1;
        fuzz.Check(CallEntry("DllCanUnloadNow") == S_OK, "the View or a cell outlived its release");
    }

    void CheckAfter(HRESULT hr, const Shape& before, SIZE_T grown) {
        // A refusal changes nothing, another call no count; a valid load gives its own.
        const Shape after(view), want = expected.records >= 0 ? expected : before;
        if (FAILED(hr) || !loaded || expected.records >= 0)
            fuzz.Check(after.records == want.records && after.columns == want.columns &&
                           (SUCCEEDED(hr) || after.selected == before.selected),
                       "0x%08lx left %ld x %ld, want %ld x %ld", hr, after.records, after.columns,
                       want.records, want.columns);
        const bool shown = after.records > 0 && after.columns > 0;
        fuzz.Check(shown ? after.selected >= 0 && after.selected < after.records
                         : after.selected == -1,
                   "selected record %ld of %ld", after.selected, after.records);
        fuzz.Check(grown < 64 * 1024 * 1024, "private bytes grew by %zu KiB", grown / 1024);
        expected.records = -1;
    }

    // Invoke on the view and on kept cells, the vtables of both, and valid loads.
    HRESULT OneCall() {
        static const DISPID viewIds[] = {0, 1, 1, 2, 3, 4, 5, 6, 7, DISPID_ENABLED, 99, -1};
        const uint32_t pick = random.Below(22);
        Cell* cell = cells[random.Below(4)];
        if (pick < 6 || (pick < 9 && !cell))
            return Invoke(view, random.Pick(viewIds));
        if (pick < 9)
            return Invoke(cell, random.Between(-1, 3));
        return pick < 16 ? CallMember() : pick < 20 ? ValidLoad() : LoadProperties();
    }

    // A vtable member with two random indices; what it hands out is released after it.
    HRESULT CallMember() {
        const LONG a = random.Index(), b = random.Index();
        Cell* const kept = cells[a & 3];
        Cell* cell = nullptr;
        VARIANT value = {};
        BSTR text = nullptr;
        LONG number = 0;
        ::ColumnAlign align;
        const std::pair<const char*, std::function<HRESULT()>> members[] = {
            {"SetData",
             [&] {
                 loaded = true;
                 const VARIANT data = random.OneIn(2) ? values.MakeArray(0, true) : values.Make();
                 return view->SetData(data, DateTimeFormat(a % 7), DateTimeGrouping(b % 6),
                                      VARIANT_BOOL(random.Between(-1, 1)));
             }},
            {"get_Cell", [&] { return view->get_Cell(a, b, random.OneIn(20) ? nullptr : &cell); }},
            {"get_ColumnLabel", [&] { return view->get_ColumnLabel(a, &text); }},
            {"put_ColumnLabel", [&] { return view->put_ColumnLabel(a, text = values.Text()); }},
            {"get_ColumnWidth", [&] { return view->get_ColumnWidth(a, &number); }},
            {"put_ColumnWidth", [&] { return view->put_ColumnWidth(a, b); }},
            {"get_ColumnAlign", [&] { return view->get_ColumnAlign(a, &align); }},
            {"put_ColumnAlign", [&] { return view->put_ColumnAlign(a, ::ColumnAlign(b)); }},
            {"put_Enabled", [&] { return view->put_Enabled(VARIANT_BOOL(a)); }},
            {"Cell.get_Value", [&] { return kept ? kept->get_Value(&value) : S_FALSE; }},
            {"Cell.get_Tag", [&] { return kept ? kept->get_Tag(&text) : S_FALSE; }},
        };
        const auto& [name, call] = random.Pick(members);
        fuzz.Step("%s(%ld, %ld)", name, a, b);
        const HRESULT hr = call();
        fuzz.Check(FAILED(hr) || number >= 0, "width %ld", number);
        VariantClear(&value);
        SysFreeString(text);
        Keep(cell);
        return hr;
    }

    // Sometimes a named put value, sometimes a block that does not hold together.
    HRESULT Invoke(IDispatch* target, DISPID id) {
        // Method, get, put, method and get, put by reference, none.
        static const WORD flagSets[] = {1, 2, 4, 3, 8, 0};
        const WORD flags = random.Pick(flagSets);
        VARIANT arguments[4];
        const UINT count = random.Below(5);
        values.host = &invokeHost;
        for (UINT i = 0; i < count; ++i)
            arguments[i] = values.Make();
        values.host = &host;
        DISPID named[2] = {DISPID_PROPERTYPUT, random.Index()};
        DISPPARAMS params = {arguments, named, count, 0};
        if ((flags & DISPATCH_PROPERTYPUT) && count && !random.OneIn(4))
            params.cNamedArgs = 1;
        if (random.OneIn(30))
            params.cNamedArgs = random.Below(3);
        VARIANT result = {};
        UINT argumentError = 0;
        fuzz.Step("Invoke(%ld, flags %u, %u of %u named)", id, flags, params.cNamedArgs, count);
        const HRESULT hr =
            target->Invoke(id, IID_NULL, 0, flags, random.OneIn(50) ? nullptr : &params,
                           random.OneIn(10) ? nullptr : &result, nullptr, &argumentError);
        if (V_VT(&result) == VT_DISPATCH && V_DISPATCH(&result))
            Keep(Query<Cell>(V_DISPATCH(&result), IID_Cell));
        VariantClear(&result);
        loaded = target == view && id == 1;
        return hr;
    }

    void Keep(Cell* cell) {
        if (!cell)
            return;
        Cell*& slot = cells[random.Below(4)];
        if (slot)
            slot->Release();
        slot = cell;
    }

    // A well-formed table whose host objects call back into the control while it loads.
    HRESULT ValidLoad() {
        const LONG records = random.Below(13), columns = random.Below(6);
        const LONG lower1 = random.Between(-2, 2), lower2 = random.Between(-2, 2);
        const bool revert = random.OneIn(2);
        VariantGrid grid(revert ? records : columns, revert ? columns : records, lower1, lower2);
        for (LONG r = 0; r < records; ++r)
            for (LONG c = 0; c < columns; ++c) {
                VARIANT value = random.OneIn(8) ? VARIANT{} : values.Make(2);
                if (random.OneIn(10))
                    V_VT(&value) = VT_DISPATCH, V_DISPATCH(&value) = &caller;
                grid.Set(lower1 + (revert ? r : c), lower2 + (revert ? c : r), value);
            }
        fuzz.Step("SetData(%ld x %ld table%s)", records, columns, revert ? ", reverted" : "");
        const HRESULT hr = view->SetData(grid.AsVariant(), flShortDate, flMonth,
                                         revert ? VARIANT_TRUE : VARIANT_FALSE);
        fuzz.Check(hr == S_OK, "a valid load answered 0x%08lx", hr);
        expected = Shape(records, columns);
        loaded = true;
        return hr;
    }

    // Mutated property streams: a refused one leaves Save as it was; an
    // accepted one saves the extent it read and a Boolean Enabled, and leaves it clean.
    HRESULT LoadProperties() {
        view->AddRef(); // the reference Persisted lets go of
        Persisted control(view);
        const Bytes before = control.Saved(FALSE), input = MakeStream();
        fuzz.Step("Load(%zu bytes, type 0x%x)", input.size(),
                  input.size() >= 14 ? input[12] | input[13] << 8 : 0);
        const HRESULT hr = control.Load(input);
        const Bytes after = control.Saved(FALSE);
        if (!fuzz.Check(SUCCEEDED(hr) || after == before,
                        "a refused load (0x%08lx) changed what Save gives", hr) ||
            FAILED(hr))
            return hr;
        const bool same = after.size() == 16 &&
                          std::equal(after.begin() + 4, after.begin() + 12, input.begin() + 4);
        fuzz.Check(same && after[12] == VT_BOOL && (after[14] == 0 || after[14] == 0xFF),
                   "an accepted load saves another state");
        fuzz.Check(control.stream->IsDirty() == S_FALSE, "dirty after a load");
        return hr;
    }

    // Host code run by a value in the middle of a load.
    void CallBack() {
        const LONG during = Shape(view).records;
        const uint32_t kind = random.Below(4);
        Cell* cell = nullptr;
        VARIANT read = {};
        if (kind == 0)
            fuzz.Check(view->SetData(VARIANT{}, flShortDate, flMonth, 0) == E_FAIL,
                       "a load inside a load did not fail");
        if (kind == 1)
            view->put_ColumnWidth(random.Below(8), random.Below(300));
        if (kind == 2 && SUCCEEDED(view->get_Cell(0, 0, &cell))) {
            cell->get_Value(&read);
            VariantClear(&read);
            cell->Release();
        }
        fuzz.Check(Shape(view).records == during, "a call back changed the load");
    }

    HostObject host{[] {}}, invokeHost{[] {}};
    HostObject caller{[this] { CallBack(); }};
    Values values{&host};
    _View* view = nullptr;
    Cell* cells[4] = {};
    Shape expected{-1, -1};
    bool loaded = false;
};

} // namespace

int main(int argc, char** argv) {
    fuzz.tallied = "references kept by the runtime after failed argument conversions";
    return RunFuzz<AutomationCase>(argc, argv, "automation", 20, 1000, 1000);
}
