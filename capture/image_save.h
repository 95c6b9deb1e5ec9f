#pragma once
#include <windows.h>

#include <string>

#include "capture/captured_image.h"
#include "capture/save_rules.h"

// Index of the GDI+ encoder for the MIME type ("image/png", "image/jpeg"), its class id in `clsid`; -1 if
// none.
int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsid);
// Encodes the bitmap (not owned, not changed) as PNG (format 0, and any unknown value) or JPEG (format 1,
// quality clamped to 1..100) at `path`.
bool SaveBitmapToFile(HBITMAP bitmap, const std::wstring& path, int format, int quality);
// Writes the capture into `folder` as Korvel_YYYYMMDD_hhmmss_mmm.png/.jpg; `savedPath` holds the full path on
// success and is empty otherwise.
bool AutoSaveCapture(const CapturedImage& image, const std::wstring& folder, int format, int quality,
                     std::wstring& savedPath);
// The local time to the millisecond, as saved pictures are named after it.
LocalTimeStamp CurrentLocalTimeStamp();
