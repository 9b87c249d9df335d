// Data transfer: the control's picture as an enhanced metafile or a metafile picture, both
// recorded from the drawing a container gets through IViewObject::Draw.

#include "control/view_control.h"

#include "control/enumerators.h"

namespace {

const FORMATETC pictureFormats[] = {
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
    {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
};

// The result QueryGetData gives for a requested format.
HRESULT CheckFormat(const FORMATETC& format) {
    if (format.dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (format.lindex != -1)
        return DV_E_LINDEX;
    for (const FORMATETC& offered : pictureFormats)
        if (format.cfFormat == offered.cfFormat)
            return (format.tymed & offered.tymed) ? S_OK : DV_E_TYMED;
    return DV_E_FORMATETC;
}

} // namespace

HRESULT ViewControl::RenderEnhancedMetafile(STGMEDIUM* medium) {
    const RECT frame = {0, 0, extent.cx, extent.cy}; // in HIMETRIC, as the frame wants
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
    if (!dc)
        return E_OUTOFMEMORY;
    const SIZE pixels = ExtentInPixels();
    DrawPlaceholder(dc, RECT{0, 0, pixels.cx, pixels.cy});
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile)
        return E_OUTOFMEMORY;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = metafile;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT ViewControl::RenderMetafilePicture(STGMEDIUM* medium) {
    HDC dc = CreateMetaFileA(nullptr);
    if (!dc)
        return E_OUTOFMEMORY;
    const SIZE pixels = ExtentInPixels();
    // The player maps this window onto the extent of the picture.
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, pixels.cx, pixels.cy, nullptr);
    DrawPlaceholder(dc, RECT{0, 0, pixels.cx, pixels.cy});
    HMETAFILE metafile = CloseMetaFile(dc);
    if (!metafile)
        return E_OUTOFMEMORY;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto* picture = memory ? static_cast<METAFILEPICT*>(GlobalLock(memory)) : nullptr;
    if (!picture) {
        if (memory)
            GlobalFree(memory);
        DeleteMetaFile(metafile);
        return E_OUTOFMEMORY;
    }
    *picture = METAFILEPICT{MM_ANISOTROPIC, extent.cx, extent.cy, metafile};
    GlobalUnlock(memory);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium)
        return E_POINTER;
    HRESULT hr = CheckFormat(*format);
    if (FAILED(hr))
        return hr;
    return format->cfFormat == CF_ENHMETAFILE ? RenderEnhancedMetafile(medium)
                                              : RenderMetafilePicture(medium);
}

// A metafile cannot be recorded into a medium the caller made.
HRESULT STDMETHODCALLTYPE ViewControl::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium)
        return E_POINTER;
    return DATA_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE ViewControl::QueryGetData(FORMATETC* format) {
    if (!format)
        return E_POINTER;
    return CheckFormat(*format);
}

// The pictures do not depend on a target device.
HRESULT STDMETHODCALLTYPE ViewControl::GetCanonicalFormatEtc(FORMATETC* format,
                                                             FORMATETC* canonical) {
    if (!format || !canonical)
        return E_POINTER;
    *canonical = *format;
    canonical->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL; // the control takes its data through SetData of _View only
}

HRESULT STDMETHODCALLTYPE ViewControl::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (!formats)
        return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL; // nothing can be set
    return CreateFormatEnumerator(pictureFormats, 2, formats);
}

HRESULT STDMETHODCALLTYPE ViewControl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                               DWORD* connection) {
    if (!format || !sink)
        return E_POINTER;
    return dataAdviseHolder.Advise(connection, static_cast<IDataObject*>(this), format, flags,
                                   sink);
}

HRESULT STDMETHODCALLTYPE ViewControl::DUnadvise(DWORD connection) {
    return dataAdviseHolder.Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE ViewControl::EnumDAdvise(IEnumSTATDATA** advises) {
    return dataAdviseHolder.Enumerate(advises, S_OK);
}
