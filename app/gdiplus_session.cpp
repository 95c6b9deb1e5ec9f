#include "app/gdiplus_session.h"

#include <windows.h>

#include "capture/gdiplus_headers.h"
#include "log/log.h"

namespace {
ULONG_PTR gdiplusToken = 0;
}

bool StartGdiplus() {
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, external codecs
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    if (status != Gdiplus::Ok) {
        LogError(L"GdiplusStartup 失败 status=%d", static_cast<int>(status));
        gdiplusToken = 0;
        return false;
    }
    return true;
}

void StopGdiplus() {
    if (gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        gdiplusToken = 0;
    }
}
