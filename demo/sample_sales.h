#pragma once

#include "data_grid.h"

// A few thousand sales records, the same on every run: order date, customer, city, country,
// region, amount (currency), quantity and whether it was shipped (Yes or No), with a few cells
// left empty.
bool BuildSampleSales(DataGrid& grid, LONG records = 3000);
