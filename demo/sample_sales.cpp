#include "sample_sales.h"

namespace {

struct Place {
    const wchar_t* city;
    const wchar_t* country;
    const wchar_t* region;
};

const Place places[] = {
    {L"Lyon", L"France", L"Europe"},
    {L"Paris", L"France", L"Europe"},
    {L"Hamburg", L"Germany", L"Europe"},
    {L"Munich", L"Germany", L"Europe"},
    {L"Bologna", L"Italy", L"Europe"},
    {L"Turin", L"Italy", L"Europe"},
    {L"Porto", L"Portugal", L"Europe"},
    {L"Uppsala", L"Sweden", L"Europe"},
    {L"Calgary", L"Canada", L"North America"},
    {L"Montreal", L"Canada", L"North America"},
    {L"Denver", L"United States", L"North America"},
    {L"Portland", L"United States", L"North America"},
    {L"Savannah", L"United States", L"North America"},
    {L"Monterrey", L"Mexico", L"North America"},
    {L"Rosario", L"Argentina", L"South America"},
    {L"Curitiba", L"Brazil", L"South America"},
    {L"Recife", L"Brazil", L"South America"},
    {L"Valparaiso", L"Chile", L"South America"},
    {L"Osaka", L"Japan", L"Asia Pacific"},
    {L"Sapporo", L"Japan", L"Asia Pacific"},
    {L"Busan", L"South Korea", L"Asia Pacific"},
    {L"Perth", L"Australia", L"Asia Pacific"},
    {L"Hobart", L"Australia", L"Asia Pacific"},
    {L"Dunedin", L"New Zealand", L"Asia Pacific"},
};

// Places written in their own scripts, for a few records.
const Place nativePlaces[] = {
    {L"\u041c\u043e\u0441\u043a\u0432\u0430", L"\u0420\u043e\u0441\u0441\u0438\u044f", L"Europe"},
    {L"\u0391\u03b8\u03ae\u03bd\u03b1", L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1", L"Europe"},
    {L"\u0627\u0644\u0642\u0627\u0647\u0631\u0629", L"\u0645\u0635\u0631", L"Middle East"},
    {L"\u05ea\u05dc \u05d0\u05d1\u05d9\u05d1", L"\u05d9\u05e9\u05e8\u05d0\u05dc", L"Middle East"},
    {L"\u6771\u4eac", L"\u65e5\u672c", L"Asia Pacific"},
    {L"\u4e0a\u6d77", L"\u4e2d\u56fd", L"Asia Pacific"},
};

const wchar_t* const customers[] = {
    L"Alder & Finch",
    L"Bluewater Supply",
    L"Cobalt Works",
    L"Dunmore Trading",
    L"Elmstead Foods",
    L"Fairlight Optics",
    L"Granite Peak Tools",
    L"Harbor Lane Books",
    L"Ironwood Furniture",
    L"Juniper Labs",
    L"Kestrel Outdoor",
    L"Lumen Electric",
    L"Marlow Textiles",
    L"Northgate Coffee",
    L"Orchard Row Cider",
    L"Pinecrest Paper",
    L"Quarry Hill Stone",
    L"Redfern Bicycles",
    L"Saltmarsh Seafood",
    L"Tamarack Audio",
    L"Umber Ceramics",
    L"Vantage Print",
    L"Willowby Toys",
    L"Yarrow Herbal",
    // Customers of other scripts, who show on the first screen: Severny Veter, Sakura Shoji,
    // Great Wall Trading, Nile Company.
    L"\u0421\u0435\u0432\u0435\u0440\u043d\u044b\u0439 \u0412\u0435\u0442\u0435\u0440",
    L"\u3055\u304f\u3089\u5546\u4e8b",
    L"\u957f\u57ce\u8d38\u6613",
    L"\u0634\u0631\u0643\u0629 \u0627\u0644\u0646\u064a\u0644",
};

// A fixed linear congruential sequence: the same records on every machine and run.
class Sequence {
public:
    UINT Next(UINT range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    }

private:
    UINT state = 20240314u;
};

VARIANT Text(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    return v;
}

} // namespace

bool BuildSampleSales(DataGrid& grid, LONG records) {
    if (!grid.Create(8, records))
        return false;
    grid.labels = {L"Order date", L"Customer", L"City",     L"Country",
                   L"Region",     L"Amount",   L"Quantity", L"Shipped"};
    Sequence next;
    const UINT placeCount = sizeof places / sizeof places[0];
    const UINT nativeCount = sizeof nativePlaces / sizeof nativePlaces[0];
    const UINT customerCount = sizeof customers / sizeof customers[0];
    SYSTEMTIME first = {2023, 1, 0, 2, 0, 0, 0, 0};
    double firstDay = 0;
    SystemTimeToVariantTime(&first, &firstDay);
    bool ok = true;
    for (LONG r = 0; r < records && ok; ++r) {
        const UINT pick = next.Next(placeCount * 12);
        const Place& place =
            pick < placeCount * 11 ? places[pick % placeCount] : nativePlaces[pick % nativeCount];
        const LONG quantity = 1 + static_cast<LONG>(next.Next(40));
        const LONGLONG unitCents = 250 + next.Next(25000);
        VARIANT cells[8];
        for (VARIANT& cell : cells)
            VariantInit(&cell);
        V_VT(&cells[0]) = VT_DATE;
        V_DATE(&cells[0]) = firstDay + next.Next(1095);
        cells[1] = Text(customers[next.Next(customerCount)]);
        cells[2] = Text(place.city);
        cells[3] = Text(place.country);
        cells[4] = Text(place.region);
        V_VT(&cells[5]) = VT_CY;
        V_CY(&cells[5]).int64 = quantity * unitCents * 100; // ten-thousandths
        V_VT(&cells[6]) = VT_I4;
        V_I4(&cells[6]) = quantity;
        // Words rather than a Boolean, which the control shows as a number (-1 or 0).
        cells[7] = Text(next.Next(5) ? L"Yes" : L"No");
        // Orders still being priced or entered: no amount, no customer, no shipping state,
        // blank as in a spreadsheet.
        const UINT gap = next.Next(40);
        if (gap < 3) {
            VARIANT& blank = cells[gap == 0 ? 5 : gap == 1 ? 1 : 7];
            VariantClear(&blank);
            blank = Text(L"");
        }
        for (LONG c = 0; c < 8; ++c) {
            ok = ok && grid.Put(c, r, cells[c]);
            VariantClear(&cells[c]);
        }
    }
    return ok;
}
