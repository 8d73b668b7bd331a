#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace qvset::winapp {

// A window's client area as it is painted, top row first, each pixel 0x00RRGGBB. It is copied from the
// window's own device context once every control has painted: Wine's PrintWindow paints the window's
// ground alone, without its controls.
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// The window must be shown; its pending paints are done first.
WindowPixels CaptureWindow(HWND window);

enum class PictureFormat { Png, Bmp };

// Writes the window's picture to `path` as a PNG through WIC; where WIC has no PNG encoder, as a BMP
// beside it (the same name ending in ".bmp"). The format written, or nothing when neither could be.
std::optional<PictureFormat> SaveWindowPicture(HWND window, const std::filesystem::path& path);

}  // namespace qvset::winapp
