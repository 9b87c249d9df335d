#pragma once

// A few sales records as a host hands them to the control: a two-dimensional array of
// variants, Data(column, record), the first dimension the columns.

#include <windows.h>
#include <oleauto.h>

struct SaleRecord {
    const wchar_t* product;
    const wchar_t* region;
    const wchar_t* country;
    double amount;
};

const SaleRecord sales[] = {
    {L"Anchor", L"North", L"Norway", 120.5},  {L"Buoy", L"South", L"Spain", 80.0},
    {L"Compass", L"East", L"Poland", 310.25}, {L"Dinghy", L"North", L"Sweden", 990.0},
    {L"Easel", L"East", L"Latvia", 45.0},     {L"Flare", L"South", L"Italy", 15.75},
    {L"Gaff", L"East", L"Poland", 60.0},      {L"Hull", L"West", L"Ireland", 1500.0},
};
const long saleCount = sizeof sales / sizeof sales[0];
const wchar_t* const saleLabels[] = {L"Product", L"Region", L"Country", L"Amount"};
const long saleColumns = 4;

// The caller destroys the array (SafeArrayDestroy), or hands it on in a VARIANT it clears.
inline SAFEARRAY* CreateSalesArray() {
    SAFEARRAYBOUND bounds[2] = {{saleColumns, 0}, {saleCount, 0}}; // (column, record)
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    for (long record = 0; array && record < saleCount; ++record) {
        const SaleRecord& sale = sales[record];
        const wchar_t* texts[] = {sale.product, sale.region, sale.country};
        for (long column = 0; column < saleColumns; ++column) {
            VARIANT value;
            VariantInit(&value);
            if (column < 3) {
                value.vt = VT_BSTR;
                value.bstrVal = SysAllocString(texts[column]);
            } else {
                value.vt = VT_R8;
                value.dblVal = sale.amount;
            }
            long at[2] = {column, record};
            SafeArrayPutElement(array, at, &value); // copies the value
            VariantClear(&value);
        }
    }
    return array;
}

// Loads the records and names the columns.
inline HRESULT LoadSales(_View* view) {
    VARIANT data;
    VariantInit(&data);
    data.vt = VT_ARRAY | VT_VARIANT;
    data.parray = CreateSalesArray();
    HRESULT hr =
        data.parray ? view->SetData(data, flShortDate, flMonth, VARIANT_FALSE) : E_OUTOFMEMORY;
    VariantClear(&data); // the control keeps its own copy
    for (long column = 0; SUCCEEDED(hr) && column < saleColumns; ++column) {
        BSTR label = SysAllocString(saleLabels[column]);
        hr = view->put_ColumnLabel(column, label);
        SysFreeString(label);
    }
    return hr;
}
