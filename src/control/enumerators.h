#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>

// Enumerators over a copy of the connections or of the connection points taken at creation.
// Each copied item holds its own reference.
HRESULT CreateConnectionEnumerator(const CONNECTDATA* items, int32_t count,
                                   IEnumConnections** result);
HRESULT CreatePointEnumerator(IConnectionPoint* const* items, int32_t count,
                              IEnumConnectionPoints** result);
// Formats without target devices.
HRESULT CreateFormatEnumerator(const FORMATETC* items, int32_t count, IEnumFORMATETC** result);
