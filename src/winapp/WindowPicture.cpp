#include "winapp/WindowPicture.h"

#include <wincodec.h>

#include <fstream>

namespace qvset::winapp {

namespace {

constexpr WORD kBitmapSignature = 0x4D42;  // "BM"

// Releases a COM interface however the scope is left.
template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_pointer != nullptr) m_pointer->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return m_pointer; }
    Interface** Out() { return &m_pointer; }
    Interface* Get() const { return m_pointer; }

  private:
    Interface* m_pointer = nullptr;
};

bool WritePng(const WindowPixels& picture, const std::filesystem::path& path) {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool written = false;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        const UINT width = static_cast<UINT>(picture.width);
        const UINT height = static_cast<UINT>(picture.height);
        const UINT stride = width * 4;
        // WIC reads the pixels and never writes them.
        auto* bytes = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(picture.pixels.data()));
        written =
            SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))) &&
            SUCCEEDED(factory->CreateStream(stream.Out())) &&
            SUCCEEDED(stream->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
            SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) &&
            SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
            SUCCEEDED(frame->SetPixelFormat(&format)) &&
            SUCCEEDED(frame->WritePixels(height, stride, stride * height, bytes)) &&
            SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (SUCCEEDED(started)) CoUninitialize();
    return written;
}

bool WriteBmp(const WindowPixels& picture, const std::filesystem::path& path) {
    const DWORD imageSize = static_cast<DWORD>(picture.pixels.size() * sizeof(std::uint32_t));
    BITMAPFILEHEADER file{};
    file.bfType = kBitmapSignature;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = picture.width;
    info.biHeight = -picture.height;  // top row first
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(picture.pixels.data()), static_cast<std::streamsize>(imageSize));
    return static_cast<bool>(out);
}

}  // namespace

WindowPixels CaptureWindow(HWND window) {
    RECT bounds{};
    GetClientRect(window, &bounds);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    WindowPixels picture;
    picture.width = bounds.right - bounds.left;
    picture.height = bounds.bottom - bounds.top;
    if (picture.width <= 0 || picture.height <= 0) return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC from = GetDC(window);
    BitBlt(memory, 0, 0, picture.width, picture.height, from, 0, 0, SRCCOPY);
    ReleaseDC(window, from);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(
        first, first + static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (std::uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFFu;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return picture;
}

std::optional<PictureFormat> SaveWindowPicture(HWND window, const std::filesystem::path& path) {
    const WindowPixels picture = CaptureWindow(window);
    if (picture.pixels.empty()) return std::nullopt;
    if (WritePng(picture, path)) return PictureFormat::Png;
    std::filesystem::path bmp = path;
    bmp.replace_extension(".bmp");
    if (WriteBmp(picture, bmp)) return PictureFormat::Bmp;
    return std::nullopt;
}

}  // namespace qvset::winapp
