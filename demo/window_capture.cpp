#include "window_capture.h"

#include <wincodec.h>

#include <vector>

namespace {

template <typename T> class Ref {
public:
    ~Ref() {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    T* Get() const { return p; }

private:
    T* p = nullptr;
};

} // namespace

bool CaptureWindowPixels(HWND window, std::vector<BYTE>& pixels, int& width, int& height) {
    RECT rect;
    if (!GetClientRect(window, &rect))
        return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    // The window's own surface, not the screen's: another program's window over this one, or a
    // display not yet updated, must not change what is read.
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(width) * height * 4);
    ok = ok && GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return ok;
}

HRESULT SaveWindowPng(HWND window, const std::wstring& path) {
    std::vector<BYTE> pixels;
    int width = 0, height = 0;
    if (!CaptureWindowPixels(window, pixels, width, height))
        return E_FAIL;
    return SavePixelsPng(pixels.data(), width, height, path);
}

HRESULT SavePixelsPng(const BYTE* source, int width, int height, const std::wstring& path) {
    if (width <= 0 || height <= 0)
        return E_INVALIDARG;
    std::vector<BYTE> pixels(source, source + static_cast<size_t>(width) * height * 4);
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 0xFF; // opaque: the screen has no alpha
    Ref<IWICImagingFactory> factory;
    Ref<IWICStream> stream;
    Ref<IWICBitmapEncoder> encoder;
    Ref<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    // The encoder may only take another layout; the captured one is then not written.
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat32bppBGRA)
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size()), pixels.data());
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}
