#include "support/image_file.h"

#include <windows.h>

#include "capture/gdiplus_headers.h"

DecodedImage DecodeImageFile(const std::wstring& path) {
    DecodedImage image;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return image;
    }
    {
        Gdiplus::Bitmap bitmap(path.c_str());
        if (bitmap.GetLastStatus() == Gdiplus::Ok) {
            image.width = static_cast<int>(bitmap.GetWidth());
            image.height = static_cast<int>(bitmap.GetHeight());
            Gdiplus::Rect all(0, 0, image.width, image.height);
            Gdiplus::BitmapData data = {};
            if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) ==
                Gdiplus::Ok) {
                image.pixels.resize(static_cast<size_t>(image.width) * image.height);
                for (int y = 0; y < image.height; ++y) {
                    const auto* row = reinterpret_cast<const uint32_t*>(
                        static_cast<const char*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
                    for (int x = 0; x < image.width; ++x) {
                        image.pixels[static_cast<size_t>(y) * image.width + x] = row[x] & 0x00FFFFFF;
                    }
                }
                bitmap.UnlockBits(&data);
                image.ok = true;
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return image;
}
