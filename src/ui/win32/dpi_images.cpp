// Scaling of the window's bitmaps: the pixels read as 32-bit BGRA, each frame scaled within
// its own bounds (so neighbours in a strip never bleed into each other), colours mixed with
// alpha weights so that transparent pixels lend no colour to the edges.
#include "ui/win32/dpi_images.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/win32/dpi.h"

namespace hivewarden::ui::win32 {
namespace {

struct Pixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Data;  // top-down rows of 0xAARRGGBB
    std::uint32_t At(int x, int y) const {
        return Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                    static_cast<std::size_t>(x)];
    }
};

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool ReadPixels(HBITMAP bitmap, Pixels& pixels) {
    BITMAP shape{};
    if (GetObjectW(bitmap, sizeof shape, &shape) == 0) return false;
    pixels.Width = shape.bmWidth;
    pixels.Height = shape.bmHeight;
    pixels.Data.assign(static_cast<std::size_t>(pixels.Width) * pixels.Height, 0);
    BITMAPINFO info = TopDown32(pixels.Width, pixels.Height);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(pixels.Height),
                                pixels.Data.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == pixels.Height;
}

// One channel (shift 0, 8, 16) of the alpha-weighted blend of four pixels.
double Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

std::uint32_t Blend(const std::uint32_t (&corner)[4], const double (&weight)[4]) {
    double alpha = 0;
    double colour[3] = {0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const double a = Channel(corner[i], 24) * weight[i];
        alpha += a;
        for (int c = 0; c < 3; ++c) colour[c] += Channel(corner[i], 8 * c) * a;
    }
    std::uint32_t result = static_cast<std::uint32_t>(std::clamp(alpha + 0.5, 0.0, 255.0)) << 24;
    if (alpha <= 0) return result;
    for (int c = 0; c < 3; ++c) {
        const double value = std::clamp(colour[c] / alpha + 0.5, 0.0, 255.0);
        result |= static_cast<std::uint32_t>(value) << (8 * c);
    }
    return result;
}

// Frame `frame` of `source` (frames of frameWidth side by side) into `target`'s frame.
void ScaleFrame(const Pixels& source, int frameWidth, Pixels& target, int targetFrameWidth,
                int frame, Scaling scaling) {
    const double stepX = static_cast<double>(frameWidth) / targetFrameWidth;
    const double stepY = static_cast<double>(source.Height) / target.Height;
    const int left = frame * frameWidth;
    for (int y = 0; y < target.Height; ++y) {
        for (int x = 0; x < targetFrameWidth; ++x) {
            std::uint32_t pixel = 0;
            if (scaling == Scaling::Nearest) {
                const int sx = std::min(frameWidth - 1, static_cast<int>(x * stepX));
                const int sy = std::min(source.Height - 1, static_cast<int>(y * stepY));
                pixel = source.At(left + sx, sy);
            } else {
                const double fx = std::clamp((x + 0.5) * stepX - 0.5, 0.0, frameWidth - 1.0);
                const double fy = std::clamp((y + 0.5) * stepY - 0.5, 0.0, source.Height - 1.0);
                const int x0 = static_cast<int>(fx);
                const int y0 = static_cast<int>(fy);
                const int x1 = std::min(x0 + 1, frameWidth - 1);
                const int y1 = std::min(y0 + 1, source.Height - 1);
                const double dx = fx - x0;
                const double dy = fy - y0;
                const std::uint32_t corner[4] = {source.At(left + x0, y0), source.At(left + x1, y0),
                                                 source.At(left + x0, y1),
                                                 source.At(left + x1, y1)};
                const double weight[4] = {(1 - dx) * (1 - dy), dx * (1 - dy), (1 - dx) * dy,
                                          dx * dy};
                pixel = Blend(corner, weight);
            }
            target.Data[static_cast<std::size_t>(y) * target.Width +
                        static_cast<std::size_t>(frame * targetFrameWidth + x)] = pixel;
        }
    }
}

HBITMAP MakeBitmap(const Pixels& pixels) {
    BITMAPINFO info = TopDown32(pixels.Width, pixels.Height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) return bitmap;
    std::copy(pixels.Data.begin(), pixels.Data.end(), static_cast<std::uint32_t*>(bits));
    GdiFlush();
    return bitmap;
}

}  // namespace

HBITMAP LoadBitmapForDpi(HINSTANCE instance, int resource, int dpi, int frames, Scaling scaling,
                         bool keepAlpha) {
    auto original = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (original == nullptr) return nullptr;
    Pixels source;
    const bool read = ReadPixels(original, source);
    DeleteObject(original);
    if (!read || frames < 1 || source.Width % frames != 0) return nullptr;
    if (!keepAlpha) {
        for (std::uint32_t& pixel : source.Data) pixel |= 0xFF000000u;
    }
    const int frameWidth = source.Width / frames;
    const int targetFrameWidth = std::max(1, MulDiv(frameWidth, dpi, kDefaultDpi));
    Pixels target;
    target.Width = targetFrameWidth * frames;
    target.Height = std::max(1, MulDiv(source.Height, dpi, kDefaultDpi));
    target.Data.assign(static_cast<std::size_t>(target.Width) * target.Height, 0);
    for (int frame = 0; frame < frames; ++frame) {
        ScaleFrame(source, frameWidth, target, targetFrameWidth, frame, scaling);
    }
    return MakeBitmap(target);
}

}  // namespace hivewarden::ui::win32
