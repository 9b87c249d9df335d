#include "control/enumerators.h"

#include "base/com_object.h"

#include <new>

namespace {

void HoldItem(CONNECTDATA& item) {
    item.pUnk->AddRef();
}
void DropItem(CONNECTDATA& item) {
    item.pUnk->Release();
}
void HoldItem(IConnectionPoint* item) {
    item->AddRef();
}
void DropItem(IConnectionPoint* item) {
    item->Release();
}
void HoldItem(FORMATETC&) {}
void DropItem(FORMATETC&) {}

template <typename Interface, typename Item>
class ArrayEnumerator final : public ComObject<Interface> {
public:
    static HRESULT Create(const Item* source, int32_t count, Interface** result) {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        auto* enumerator = new (std::nothrow) ArrayEnumerator();
        if (!enumerator)
            return E_OUTOFMEMORY;
        if (count > 0) {
            enumerator->items = new (std::nothrow) Item[static_cast<size_t>(count)];
            if (!enumerator->items) {
                delete enumerator;
                return E_OUTOFMEMORY;
            }
            for (int32_t i = 0; i < count; ++i) {
                enumerator->items[i] = source[i];
                HoldItem(enumerator->items[i]);
            }
            enumerator->count = count;
        }
        *result = enumerator;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, Item* out, ULONG* fetched) override {
        if (!out || (wanted != 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        while (given < wanted && position < count) {
            out[given] = items[position++];
            HoldItem(out[given]);
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
        HRESULT hr = Create(items, count, copy);
        if (SUCCEEDED(hr))
            static_cast<ArrayEnumerator*>(*copy)->position = position;
        return hr;
    }

private:
    ArrayEnumerator() = default;
    ~ArrayEnumerator() override {
        for (int32_t i = 0; i < count; ++i)
            DropItem(items[i]);
        delete[] items;
    }

    Item* items = nullptr;
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
