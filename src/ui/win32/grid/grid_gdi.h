// Owners of the GDI handles that the grid control keeps for its lifetime: fonts, a memory DC
// for measuring, and the off-screen frame it paints into. Windows only; no grid logic here.
#pragma once

#include <windows.h>
#undef Yield
#undef DeleteFile

#include <memory>
#include <type_traits>

namespace hivewarden::ui::win32 {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using OwnedBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// Selects an object into a DC for one scope and puts the previous one back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// An off-screen frame of the window's size; reused until the size changes.
class BackBuffer {
  public:
    BackBuffer() = default;
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer() { Release(); }

    // A DC drawing into a frame of width x height, made compatible with `screen`.
    HDC Prepare(HDC screen, int width, int height) {
        if (dc_ != nullptr && width == width_ && height == height_) return dc_.get();
        Release();
        dc_.reset(CreateCompatibleDC(screen));
        bitmap_.reset(CreateCompatibleBitmap(screen, width, height));
        if (dc_ == nullptr || bitmap_ == nullptr) {
            Release();
            return nullptr;
        }
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        width_ = width;
        height_ = height;
        return dc_.get();
    }
    // The last frame, when it still has this size.
    HDC Frame(int width, int height) const {
        return dc_ != nullptr && width == width_ && height == height_ ? dc_.get() : nullptr;
    }

  private:
    void Release() {
        if (dc_ != nullptr) SelectObject(dc_.get(), previous_);
        dc_.reset();  // the DC goes first, so the bitmap is no longer selected when deleted
        bitmap_.reset();
        width_ = height_ = 0;
    }

    OwnedMemoryDc dc_;
    OwnedBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace hivewarden::ui::win32
