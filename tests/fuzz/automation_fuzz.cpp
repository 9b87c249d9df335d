// Random calls on _View and Cell of the built module, through IDispatch::Invoke and through
// the vtables, with the variants a careless or hostile host passes, interleaved with valid
// loads whose values call back into the control. Checked after every call: the counts are
// those of the last successful load, a refusal changes nothing, the private bytes stay near
// what the case started with; at the end of a case every reference has come back.

#include "control/com_test_support.h"
#include "fuzz/fuzz_support.h"
#include "store/safe_array_builder.h"

#include <deque>

namespace {

// Builds the hostile values of one step and releases everything they hold afterwards.
class Values {
public:
    Values(FuzzRandom& random, IDispatch* host) : random(random), host(host) {}
    // The object that the values made from now on refer to.
    void Refer(IDispatch* object) { host = object; }
    ~Values() { Clear(); }

    // A value owned by this object until Clear; callers pass shallow copies of it.
    VARIANT& Make(int depth = 0) {
        VARIANT& v = Own();
        switch (random.Below(depth > 1 ? 10 : 12)) {
        case 0:
            break;
        case 1:
            V_VT(&v) = VT_NULL;
            break;
        case 2:
            V_VT(&v) = VT_I4, V_I4(&v) = random.Index();
            break;
        case 3: {
            static const double reals[] = {0, -1, 0.5, 1e300, -1e-300, 2958466, -657435, 45365.5};
            V_VT(&v) = random.OneIn(2) ? VT_R8 : VT_DATE, V_R8(&v) = random.Pick(reals);
            break;
        }
        case 4:
            V_VT(&v) = VT_BOOL, V_BOOL(&v) = static_cast<VARIANT_BOOL>(random.Between(-1, 1));
            break;
        case 5:
            V_VT(&v) = VT_BSTR, V_BSTR(&v) = Text();
            break;
        case 6: { // any other scalar, any payload
            static const VARTYPE types[] = {VT_I1,  VT_UI1, VT_I2,   VT_UI2, VT_UI4, VT_I8,
                                            VT_UI8, VT_INT, VT_UINT, VT_R4,  VT_CY,  VT_ERROR};
            V_VT(&v) = random.Pick(types), v.llVal = static_cast<LONGLONG>(random.Next());
            break;
        }
        case 7: // a valid decimal
            v.decVal.scale = static_cast<BYTE>(random.Below(29));
            v.decVal.sign = random.OneIn(2) ? DECIMAL_NEG : 0;
            v.decVal.Hi32 = random.Below(3);
            v.decVal.Lo64 = random.Next();
            V_VT(&v) = VT_DECIMAL;
            break;
        case 8:
            V_VT(&v) = random.OneIn(2) ? VT_DISPATCH : VT_UNKNOWN;
            V_DISPATCH(&v) = random.OneIn(4) ? nullptr : (host->AddRef(), host);
            break;
        case 9: // by reference: to nothing, to a value's payload, or to a whole variant
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
        default: // an array of 1 to 4 dimensions, odd bounds, any element type
            if (SAFEARRAY* array = Array(depth)) {
                const VARTYPE labelled =
                    random.OneIn(6) ? VARTYPE(random.Below(80)) : ElementType(array);
                V_VT(&v) = VT_ARRAY | labelled, V_ARRAY(&v) = array;
            }
            break;
        }
        return v;
    }

    // A two-dimensional descriptor without data, of an element kind and size the store must
    // refuse or bound: records, interfaces, sizes of no type, counts up to 2^31 - 1.
    VARIANT& Descriptor() {
        static const VARTYPE types[] = {VT_RECORD, VT_UNKNOWN, VT_DISPATCH, VT_VARIANT, VT_I4};
        static const ULONG counts[] = {0, 1, 3, 65536, 65537, 0x7FFFFFFF};
        SAFEARRAY* array = nullptr;
        VARIANT& v = Own();
        if (FAILED(SafeArrayAllocDescriptorEx(random.Pick(types), 2, &array)))
            return v;
        array->rgsabound[0] = {random.Pick(counts), random.Index()};
        array->rgsabound[1] = {random.Pick(counts), random.Index()};
        if (random.OneIn(3))
            array->cbElements = random.Below(40);
        descriptors.push_back(array);
        V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = array;
        return v; // cleared as empty: the descriptor is not the variant's to free
    }

    void Clear() {
        for (VARIANT& v : owned) {
            if (V_VT(&v) & VT_BYREF)
                continue; // owns nothing
            if (!(V_VT(&v) & VT_ARRAY))
                VariantClear(&v);
            else if (!IsDescriptor(V_ARRAY(&v)))
                SafeArrayDestroy(V_ARRAY(&v)); // whatever the label says
        }
        owned.clear();
        for (SAFEARRAY* array : descriptors) {
            array->fFeatures &= ~(FADF_RECORD | FADF_HAVEIID | FADF_UNKNOWN | FADF_DISPATCH);
            SafeArrayDestroyDescriptor(array);
        }
        descriptors.clear();
    }

    BSTR Text() {
        static const wchar_t* texts[] = {L"", L"abc", L"\u00e9t\u00e9", L"z", L"1", L"True"};
        switch (random.Below(8)) {
        case 0:
            return nullptr;
        case 1:
            return SysAllocStringLen(L"a\0b", 3);
        case 2: { // any code units, NULs and lone surrogates among them
            BSTR text = SysAllocStringLen(nullptr, random.Below(5000));
            for (UINT i = 0; text && i < SysStringLen(text); ++i)
                text[i] = static_cast<wchar_t>(random.Next());
            return text;
        }
        default:
            return SysAllocString(random.Pick(texts));
        }
    }

private:
    VARIANT& Own() {
        owned.emplace_back();
        VariantInit(&owned.back());
        return owned.back();
    }
    bool IsDescriptor(SAFEARRAY* array) const {
        for (SAFEARRAY* d : descriptors)
            if (d == array)
                return true;
        return false;
    }
    static VARTYPE ElementType(SAFEARRAY* array) {
        VARTYPE type = VT_VARIANT;
        SafeArrayGetVartype(array, &type);
        return type;
    }
    SAFEARRAY* Array(int depth) {
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
        if (!array || !array->pvData)
            return array;
        BYTE* data = static_cast<BYTE*>(array->pvData);
        for (ULONG i = 0; i < elements; ++i) {
            BYTE* at = data + i * array->cbElements;
            if (type == VT_VARIANT) {
                VARIANT element = Make(depth + 1);
                VariantCopy(reinterpret_cast<VARIANT*>(at), &element);
            } else if (type == VT_BSTR) {
                *reinterpret_cast<BSTR*>(at) = Text();
            } else if (type == VT_DISPATCH || type == VT_UNKNOWN) {
                *reinterpret_cast<IDispatch**>(at) =
                    random.OneIn(3) ? nullptr : (host->AddRef(), host);
            } else if (type != VT_DECIMAL) {
                for (ULONG b = 0; b < array->cbElements; ++b)
                    at[b] = static_cast<BYTE>(random.Next());
            }
        }
        return array;
    }

    FuzzRandom& random;
    IDispatch* host;
    std::deque<VARIANT> owned; // stable addresses: by-reference values point into it
    std::vector<SAFEARRAY*> descriptors;
};

struct Shape {
    LONG records = 0, columns = 0, selected = -1;
    bool operator==(const Shape& o) const {
        return records == o.records && columns == o.columns && selected == o.selected;
    }
};

Shape ShapeOf(_View* view) {
    Shape shape;
    view->get_RecordCount(&shape.records);
    view->get_ColumnCount(&shape.columns);
    view->get_SelectedRecord(&shape.selected);
    return shape;
}

HRESULT canUnloadNow() {
    return Entry<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")();
}

uint64_t runtimeKept = 0;

class AutomationCase {
public:
    AutomationCase(Fuzz& fuzz, uint64_t seed) : fuzz(fuzz), random(seed), values(random, &host) {}

    void Run(int steps) {
        if (!fuzz.Check(SUCCEEDED(CreateViewObject(IID__View, reinterpret_cast<void**>(&view))),
                        "create"))
            return;
        const SIZE_T start = PrivateBytes();
        for (int i = 0; i < steps; ++i) {
            const Shape before = ShapeOf(view);
            const SIZE_T bytesBefore = PrivateBytes();
            loaded = false;
            const HRESULT hr = OneCall();
            const SIZE_T bytesAfter = PrivateBytes();
            values.Clear();
            fuzz.Committed(bytesBefore, bytesAfter);
            CheckAfter(hr, before, bytesAfter - (bytesAfter > start ? start : bytesAfter));
            if (fuzz.verbose)
                printf(
                    "    -> 0x%08lx, host references %lu (runtime path %lu), private bytes %zu\n",
                    hr, host.references, invokeHost.references, static_cast<size_t>(bytesAfter));
        }
        for (Cell*& cell : cells)
            if (cell)
                cell->Release();
        const ULONG left = view->Release();
        fuzz.Check(left == 0, "the view kept %lu references", left);
        fuzz.Check(host.references == 1 && caller.references == 1, "host references left: %lu",
                   host.references + caller.references - 2);
        // The runtime keeps the arguments it converted when a later one fails to convert.
        runtimeKept += invokeHost.references - 1;
        fuzz.Check(canUnloadNow() == S_OK, "objects still alive at the end");
    }

private:
    void CheckAfter(HRESULT hr, const Shape& before, SIZE_T grown) {
        const Shape after = ShapeOf(view);
        if (FAILED(hr))
            fuzz.Check(after == before, "a refusal (0x%08lx) changed the counts", hr);
        else if (!loaded)
            fuzz.Check(after.records == before.records && after.columns == before.columns,
                       "counts changed outside a load");
        if (expected.records >= 0)
            fuzz.Check(after.records == expected.records && after.columns == expected.columns,
                       "counts %ld x %ld, loaded %ld x %ld", after.records, after.columns,
                       expected.records, expected.columns);
        const bool shown = after.records > 0 && after.columns > 0;
        fuzz.Check(shown ? after.selected >= 0 && after.selected < after.records
                         : after.selected == -1,
                   "selected record %ld of %ld", after.selected, after.records);
        fuzz.Check(grown < 64 * 1024 * 1024, "private bytes grew by %zu KiB", grown / 1024);
        expected.records = -1;
    }

    // Invoke on the view and on cells, the vtables of both, and valid loads.
    HRESULT OneCall() {
        const uint32_t pick = random.Below(20);
        if (pick < 6)
            return InvokeView();
        if (pick < 9)
            return InvokeCell();
        if (pick < 14)
            return CallView();
        return pick < 16 ? CallCell() : ValidLoad();
    }

    // Arguments of an Invoke: random count and kinds, sometimes a named put value, sometimes
    // a block that does not hold together.
    HRESULT Invoke(IDispatch* target, DISPID id) {
        static const WORD flagSets[] = {
            DISPATCH_METHOD,         DISPATCH_PROPERTYGET,
            DISPATCH_PROPERTYPUT,    DISPATCH_METHOD | DISPATCH_PROPERTYGET,
            DISPATCH_PROPERTYPUTREF, 0};
        const WORD flags = random.Pick(flagSets);
        VARIANT arguments[4];
        const UINT count = random.Below(5);
        values.Refer(&invokeHost);
        for (UINT i = 0; i < count; ++i)
            arguments[i] = values.Make();
        values.Refer(&host);
        DISPID named[2] = {DISPID_PROPERTYPUT, random.Index()};
        DISPPARAMS params = {arguments, named, count, 0};
        if ((flags & DISPATCH_PROPERTYPUT) && count && !random.OneIn(4))
            params.cNamedArgs = 1;
        if (random.OneIn(30))
            params.cNamedArgs = random.Below(3);
        VARIANT result;
        VariantInit(&result);
        UINT argumentError = 0;
        char kinds[48] = "";
        for (UINT i = 0; i < count; ++i)
            snprintf(kinds + strlen(kinds), sizeof kinds - strlen(kinds), " %x",
                     V_VT(&arguments[i]));
        fuzz.Step("Invoke(%ld, flags %u, %u named, vt last first:%s)", id, flags, params.cNamedArgs,
                  kinds);
        const HRESULT hr =
            target->Invoke(id, IID_NULL, 0, flags, random.OneIn(50) ? nullptr : &params,
                           random.OneIn(10) ? nullptr : &result, nullptr, &argumentError);
        if (V_VT(&result) == VT_DISPATCH && V_DISPATCH(&result))
            Keep(Query<Cell>(V_DISPATCH(&result), IID_Cell));
        VariantClear(&result);
        loaded = target == view && id == 1;
        return hr;
    }

    HRESULT InvokeView() {
        static const DISPID ids[] = {0, 1, 1, 2, 3, 4, 5, 6, 7, DISPID_ENABLED, 99, -1};
        return Invoke(view, random.Pick(ids));
    }
    HRESULT InvokeCell() {
        Cell* cell = cells[random.Below(4)];
        return cell ? Invoke(cell, random.Between(-1, 3)) : InvokeView();
    }

    void Keep(Cell* cell) {
        Cell*& slot = cells[random.Below(4)];
        if (slot)
            slot->Release();
        slot = cell;
    }

    HRESULT CallView() {
        const LONG a = random.Index(), b = random.Index();
        BSTR text = nullptr;
        LONG number = 0;
        ::ColumnAlign align = flLeft;
        HRESULT hr = S_OK;
        switch (random.Below(9)) {
        case 0: {
            VARIANT data = random.OneIn(3) ? values.Descriptor() : values.Make();
            const VARIANT_BOOL revert = static_cast<VARIANT_BOOL>(random.Between(-1, 1));
            fuzz.Step("SetData(vt 0x%x, %ld, %ld, %d)", V_VT(&data), a % 7, b % 6, revert);
            loaded = true;
            return view->SetData(data, static_cast<DateTimeFormat>(a % 7),
                                 static_cast<DateTimeGrouping>(b % 6), revert);
        }
        case 1: {
            Cell* cell = nullptr;
            fuzz.Step("get_Cell(%ld, %ld)", a, b);
            hr = view->get_Cell(a, b, random.OneIn(20) ? nullptr : &cell);
            if (cell)
                Keep(cell);
            return hr;
        }
        case 2:
            fuzz.Step("get_ColumnLabel(%ld)", a);
            hr = view->get_ColumnLabel(a, &text);
            SysFreeString(text);
            return hr;
        case 3:
            text = values.Text();
            fuzz.Step("put_ColumnLabel(%ld, %u chars)", a, SysStringLen(text));
            hr = view->put_ColumnLabel(a, text);
            SysFreeString(text);
            return hr;
        case 4:
            fuzz.Step("get_ColumnWidth(%ld)", a);
            hr = view->get_ColumnWidth(a, &number);
            fuzz.Check(FAILED(hr) || number >= 0, "width %ld", number);
            return hr;
        case 5:
            fuzz.Step("put_ColumnWidth(%ld, %ld)", a, b);
            return view->put_ColumnWidth(a, b);
        case 6:
            fuzz.Step("get_ColumnAlign(%ld)", a);
            return view->get_ColumnAlign(a, &align);
        case 7:
            fuzz.Step("put_ColumnAlign(%ld, %ld)", a, b);
            return view->put_ColumnAlign(a, static_cast<::ColumnAlign>(b));
        default:
            fuzz.Step("put_Enabled(%ld)", a);
            return view->put_Enabled(static_cast<VARIANT_BOOL>(a));
        }
    }

    HRESULT CallCell() {
        Cell* cell = cells[random.Below(4)];
        if (!cell)
            return CallView();
        VARIANT value;
        VariantInit(&value);
        BSTR text = nullptr;
        fuzz.Step("Cell member");
        const HRESULT hr = random.OneIn(2) ? cell->get_Value(&value) : cell->get_Tag(&text);
        VariantClear(&value);
        SysFreeString(text);
        return hr;
    }

    // A well-formed table whose host objects call back into the control while it loads.
    HRESULT ValidLoad() {
        const LONG records = random.Below(13), columns = random.Below(6);
        const bool revert = random.OneIn(2);
        VariantGrid grid(revert ? records : columns, revert ? columns : records,
                         random.Between(-2, 2), random.Between(-2, 2));
        for (LONG r = 0; r < records; ++r)
            for (LONG c = 0; c < columns; ++c) {
                VARIANT value = random.OneIn(8) ? VARIANT{} : values.Make(2);
                if (random.OneIn(10))
                    V_VT(&value) = VT_DISPATCH, V_DISPATCH(&value) = &caller;
                LONG lower1 = 0, lower2 = 0;
                SafeArrayGetLBound(grid.array, 1, &lower1);
                SafeArrayGetLBound(grid.array, 2, &lower2);
                grid.Set(lower1 + (revert ? r : c), lower2 + (revert ? c : r), value);
            }
        fuzz.Step("SetData(%ld x %ld table%s)", records, columns, revert ? ", reverted" : "");
        const HRESULT hr = view->SetData(grid.AsVariant(), flShortDate, flMonth,
                                         revert ? VARIANT_TRUE : VARIANT_FALSE);
        fuzz.Check(hr == S_OK, "a valid load answered 0x%08lx", hr);
        SafeArrayDestroy(grid.array);
        grid.array = nullptr;
        expected = Shape{records, columns, 0};
        loaded = true;
        return hr;
    }

    // Host code run by a value in the middle of a load.
    void CallBack() {
        const Shape during = ShapeOf(view);
        switch (random.Below(4)) {
        case 0:
            fuzz.Check(view->SetData(VARIANT{}, flShortDate, flMonth, 0) == E_FAIL,
                       "a load inside a load did not fail");
            break;
        case 1:
            view->put_ColumnWidth(random.Below(8), random.Below(300));
            break;
        case 2: {
            Cell* cell = nullptr;
            if (SUCCEEDED(view->get_Cell(0, 0, &cell))) {
                VARIANT value;
                if (SUCCEEDED(cell->get_Value(&value)))
                    VariantClear(&value);
                cell->Release();
            }
            break;
        }
        default:
            break;
        }
        fuzz.Check(ShapeOf(view).records == during.records, "a call back changed the load");
    }

    Fuzz& fuzz;
    FuzzRandom random;
    HostObject host{[] {}}, invokeHost{[] {}};
    HostObject caller{[this] { CallBack(); }};
    Values values;
    _View* view = nullptr;
    Cell* cells[4] = {};
    Shape expected{-1, -1, -1};
    bool loaded = false;
};

} // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    const int failures =
        RunFuzz(argc, argv, "automation", 20, 1000, 1000, [](Fuzz& fuzz, uint64_t seed, int steps) {
            AutomationCase(fuzz, seed).Run(steps);
        });
    printf("automation: references kept by the runtime after failed argument conversions: "
           "%llu\n",
           static_cast<unsigned long long>(runtimeKept));
    OleUninitialize();
    return failures;
}
