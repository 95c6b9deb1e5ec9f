#pragma once
// Move-only owners for the GDI handles of one copy step. Declared in the order they are made, they are
// undone in reverse: the selection is put back, then the memory DC deleted, then the screen DC released,
// and an owned bitmap declared before them all is deleted only once nothing holds it selected.
#include <windows.h>

#include <utility>

// The DC of the whole screen (GetDC with no window), released into the same null window.
class ScreenDC {
  public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_ != nullptr) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDC(ScreenDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ScreenDC& operator=(ScreenDC&&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// A memory DC compatible with `reference`, deleted when it goes. No DC is made for a null reference, since
// CreateCompatibleDC(nullptr) would quietly stand in a DC of its own.
class MemoryDC {
  public:
    explicit MemoryDC(HDC reference) : dc_(reference != nullptr ? CreateCompatibleDC(reference) : nullptr) {}
    ~MemoryDC() {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    MemoryDC(MemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    MemoryDC& operator=(MemoryDC&&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// Selects an object into a DC and puts the DC's previous object back when it goes, so that the object can
// be selected elsewhere or deleted afterwards. Ok() is false when the selection was refused (for a bitmap:
// it is selected into another DC, or its format does not suit this one); nothing is put back then.
class SelectionScope {
  public:
    SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectionScope() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

    bool Ok() const { return previous_ != nullptr; }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Owns a bitmap until Release() hands it on.
class OwnedBitmap {
  public:
    OwnedBitmap() = default;
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~OwnedBitmap() {
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
    }
    OwnedBitmap(OwnedBitmap&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(OwnedBitmap&&) = delete;

    // Takes `bitmap` over, deleting the one held before.
    void Reset(HBITMAP bitmap) {
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        bitmap_ = bitmap;
    }
    HBITMAP Get() const { return bitmap_; }
    HBITMAP Release() { return std::exchange(bitmap_, nullptr); }

  private:
    HBITMAP bitmap_ = nullptr;
};

// Owns a pen, brush or font made for one drawing step and deletes it when it goes. Declare it before the
// SelectionScope that selects it, so that the DC has its previous object back before the deletion.
template <typename Handle> class OwnedGdiObject {
  public:
    explicit OwnedGdiObject(Handle object) : object_(object) {}
    ~OwnedGdiObject() {
        if (object_ != nullptr) {
            DeleteObject(object_);
        }
    }
    OwnedGdiObject(OwnedGdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(OwnedGdiObject&&) = delete;

    Handle Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    Handle object_;
};
