// The control through plain COM, without a window: create it, load records, read back what it
// keeps (cells with their texts, labels, widths) and see a refusal. A program that shows the
// control hosts it in a window as window_host.cpp does; everything here works the same there.
//
//   plain_com.exe   prints what it reads; exits 0 when every answer was the expected one

#include <windows.h>
#include <cstdio>

#include "norv_h.h"
#include "sales_table.h"

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
    printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    failures += condition ? 0 : 1;
}

// The display text of a cell; an empty string when there is no such cell.
void PrintCell(_View* view, long record, long column) {
    Cell* cell = nullptr;
    if (FAILED(view->get_Cell(record, column, &cell))) {
        printf("no cell %ld, %ld\n", record, column);
        return;
    }
    BSTR text = nullptr;
    VARIANT value;
    VariantInit(&value);
    cell->get_Text(&text);
    cell->get_Value(&value);
    printf("cell %ld, %ld: \"%ls\" (variant type %d)\n", record, column, text, value.vt);
    SysFreeString(text);
    VariantClear(&value);
    cell->Release();
}

} // namespace

int main() {
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    _View* view = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_View, nullptr, CLSCTX_INPROC_SERVER, IID__View,
                                  reinterpret_cast<void**>(&view));
    if (FAILED(hr)) {
        fprintf(stderr, "CoCreateInstance failed with 0x%08lx: is norv.dll registered?\n", hr);
        return 1;
    }
    Expect(SUCCEEDED(LoadSales(view)), "SetData takes the sales array");
    long records = 0, columns = 0, selected = 0, width = 0;
    view->get_RecordCount(&records);
    view->get_ColumnCount(&columns);
    view->get_SelectedRecord(&selected);
    printf("%ld records, %ld columns, record %ld selected\n", records, columns, selected);
    Expect(records == saleCount && columns == saleColumns, "the counts of the array");
    Expect(selected == 0, "the first row shown (sorted by Product) is selected: the Anchor");

    PrintCell(view, 3, 0);
    PrintCell(view, 3, 3);
    BSTR label = nullptr;
    view->get_ColumnLabel(3, &label);
    view->get_ColumnWidth(3, &width);
    printf("column 3: \"%ls\", %ld pixels wide (100 at 96 DPI)\n", label, width);
    Expect(label && lstrcmpW(label, L"Amount") == 0, "the label set");
    SysFreeString(label);

    // Refusals come as result codes and change nothing.
    Cell* cell = nullptr;
    Expect(view->get_Cell(records, 0, &cell) == E_INVALIDARG, "Cell beyond the records");
    VARIANT notAnArray;
    VariantInit(&notAnArray);
    notAnArray.vt = VT_I4;
    notAnArray.lVal = 42;
    Expect(view->SetData(notAnArray, flShortDate, flMonth, VARIANT_FALSE) == E_INVALIDARG,
           "SetData with a number");
    view->get_RecordCount(&records);
    Expect(records == saleCount, "the records are still there");

    view->Release();
    CoUninitialize();
    return failures ? 1 : 0;
}
