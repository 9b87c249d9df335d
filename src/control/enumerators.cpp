#include "control/enumerators.h"

#include "base/com_object.h"
#include "base/com_ref.h"

#include <new>

namespace {

// The object an item refers to, which the enumerator and every caller it hands the item to
// hold a reference of their own to; null for items without one.
IUnknown* ObjectOf(const CONNECTDATA& item) {
    return item.pUnk;
}
IUnknown* ObjectOf(IConnectionPoint* item) {
    return item;
}
IUnknown* ObjectOf(const FORMATETC&) {
    return nullptr;
}

template <typename Interface, typename Item>
class ArrayEnumerator final : public ComObject<Interface> {
public:
    static HRESULT Create(const Item* source, int32_t count, Interface** result) {
        return Make(
            count, [source](int32_t i) { return source[i]; }, result);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, Item* out, ULONG* fetched) override {
        if (!out || (wanted != 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        while (given < wanted && position < count) {
            out[given] = entries[position++].item;
            if (IUnknown* object = ObjectOf(out[given]))
                object->AddRef(); // the caller's
            ++given;
        }
        if (fetched)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG skipped) override {
        ULONG left = static_cast<ULONG>(count - position);
        if (skipped > left) {
            position = count;
            return S_FALSE;
        }
        position += static_cast<int32_t>(skipped);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override {
        HRESULT hr = Make(
            count, [this](int32_t i) { return entries[i].item; }, copy);
        if (SUCCEEDED(hr))
            static_cast<ArrayEnumerator*>(*copy)->position = position;
        return hr;
    }

private:
    struct Entry {
        Item item;
        ComRef<IUnknown> held;
    };
    ArrayEnumerator() = default;
    ~ArrayEnumerator() override { delete[] entries; }

    // An enumerator over count items, itemAt(i) the i-th; each entry holds its own reference.
    template <typename ItemAt>
    static HRESULT Make(int32_t count, const ItemAt& itemAt, Interface** result) {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        ComRef<ArrayEnumerator> made(new (std::nothrow) ArrayEnumerator());
        if (!made)
            return E_OUTOFMEMORY;
        if (count > 0) {
            made->entries = new (std::nothrow) Entry[static_cast<size_t>(count)];
            if (!made->entries)
                return E_OUTOFMEMORY;
            for (int32_t i = 0; i < count; ++i) {
                made->entries[i].item = itemAt(i);
                made->entries[i].held.Assign(ObjectOf(made->entries[i].item));
            }
            made->count = count;
        }
        *result = made.Detach();
        return S_OK;
    }

    Entry* entries = nullptr;
    int32_t count = 0;
    int32_t position = 0;
};

} // namespace

HRESULT CreateConnectionEnumerator(const CONNECTDATA* items, int32_t count,
                                   IEnumConnections** result) {
    return ArrayEnumerator<IEnumConnections, CONNECTDATA>::Create(items, count, result);
}

HRESULT CreatePointEnumerator(IConnectionPoint* const* items, int32_t count,
                              IEnumConnectionPoints** result) {
    return ArrayEnumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(items, count, result);
}

HRESULT CreateFormatEnumerator(const FORMATETC* items, int32_t count, IEnumFORMATETC** result) {
    return ArrayEnumerator<IEnumFORMATETC, FORMATETC>::Create(items, count, result);
}
