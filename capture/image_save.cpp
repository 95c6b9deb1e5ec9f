#include "capture/image_save.h"

#include <cwchar>
#include <vector>

#include "capture/gdiplus_headers.h"
#include "capture/jpeg_quality.h"
#include "capture/save_rules.h"
#include "log/data_folder.h"
#include "log/log.h"

namespace {

namespace Flat = Gdiplus::DllExports;

// EncoderQuality, spelled out here so that no toolchain's GUID library is needed for it.
const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// Every format but 1 is written as PNG; a value that is not 0 either is worth a line, because it means the
// configuration or a caller handed over something it should not have.
const wchar_t* MimeTypeFor(int format) {
    if (format == 1) {
        return L"image/jpeg";
    }
    if (format != 0) {
        LogError(L"未知图片格式 %d，按 PNG 保存", format);
    }
    return L"image/png";
}

} // namespace

int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsid) {
    const wchar_t* wanted = mimeType != nullptr ? mimeType : L"";
    UINT count = 0;
    UINT bytes = 0;
    if (Flat::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) {
        LogError(L"GetImageEncodersSize 失败 mime=%s", wanted);
        return -1;
    }
    // The descriptions are followed by the strings they point at, so the buffer is sized in bytes; the
    // vector frees it on every way out.
    std::vector<unsigned char> buffer(bytes, 0);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Flat::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        LogError(L"GetImageEncoders 失败 mime=%s", wanted);
        return -1;
    }
    // Never walk past the buffer, whatever count was reported with it.
    const UINT fitting = static_cast<UINT>(bytes / sizeof(Gdiplus::ImageCodecInfo));
    const UINT walk = count < fitting ? count : fitting;
    for (UINT i = 0; i < walk; ++i) {
        if (codecs[i].MimeType != nullptr && std::wcscmp(codecs[i].MimeType, wanted) == 0) {
            if (clsid != nullptr) {
                *clsid = codecs[i].Clsid;
            }
            return static_cast<int>(i);
        }
    }
    LogError(L"找不到图片编码器 mime=%s", wanted);
    return -1;
}

void BuildJpegQualityParameters(int quality, JpegQualityParameters& out) {
    out.quality = ClampJpegQuality(quality);
    out.block = {};
    out.block.Count = 1;
    out.block.Parameter[0].Guid = kEncoderQuality;
    out.block.Parameter[0].NumberOfValues = 1;
    out.block.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    out.block.Parameter[0].Value = &out.quality;
}

bool SaveBitmapToFile(HBITMAP bitmap, const std::wstring& path, int format, int quality) {
    if (bitmap == nullptr || path.empty()) {
        LogError(L"保存失败：位图或路径为空");
        return false;
    }
    const wchar_t* mimeType = MimeTypeFor(format);
    CLSID encoder = {};
    if (FindEncoderClsid(mimeType, &encoder) < 0) {
        return false;
    }
    // GDI+ copies the pixels, so the caller's bitmap is left exactly as it was.
    Gdiplus::GpBitmap* image = nullptr;
    const Gdiplus::Status wrapped = Flat::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image);
    if (wrapped != Gdiplus::Ok) {
        LogError(L"GDI+ 包装位图失败 status=%d path=%s", static_cast<int>(wrapped), path.c_str());
        if (image != nullptr) {
            Flat::GdipDisposeImage(image);
        }
        return false;
    }
    JpegQualityParameters jpeg;
    const Gdiplus::EncoderParameters* parameters = nullptr;
    if (format == 1) {
        BuildJpegQualityParameters(quality, jpeg);
        parameters = &jpeg.block;
        LogInfo(L"按 JPEG 保存 quality=%lu path=%s", static_cast<unsigned long>(jpeg.quality), path.c_str());
    } else {
        LogInfo(L"按 PNG 保存 path=%s", path.c_str());
    }
    const Gdiplus::Status saved = Flat::GdipSaveImageToFile(image, path.c_str(), &encoder, parameters);
    Flat::GdipDisposeImage(image);
    if (saved != Gdiplus::Ok) {
        LogError(L"GDI+ 保存失败 status=%d path=%s", static_cast<int>(saved), path.c_str());
        return false;
    }
    return true;
}

bool AutoSaveCapture(const CapturedImage& image, const std::wstring& folder, int format, int quality,
                     std::wstring& savedPath) {
    savedPath.clear();
    if (image.bitmap == nullptr) {
        LogError(L"保存失败：位图为空");
        return false;
    }
    const std::wstring trimmed = TrimSaveFolder(folder);
    if (trimmed.empty()) {
        LogError(L"保存失败：目录为空");
        return false;
    }
    // Windows would make the levels that fit within its limit and then fail; Wine, which does not enforce the
    // limit, would go on making level after level. Refused before anything is made.
    if (SaveFolderTooLong(trimmed)) {
        LogError(L"保存失败：目录路径过长 length=%d max=%d path=%s", static_cast<int>(trimmed.size()),
                 static_cast<int>(kMaxSaveFolderChars), trimmed.c_str());
        return false;
    }
    if (!EnsureDirectory(trimmed)) {
        return false; // the directory step has logged why
    }
    if (format != 0 && format != 1) {
        LogError(L"未知图片格式 %d，按 PNG 保存", format);
    }
    const wchar_t* extension = ImageExtension(format);

    std::wstring path = trimmed + L"\\" + CaptureFileName(CurrentLocalTimeStamp(), extension);
    if (!SaveBitmapToFile(image.bitmap, path, format, quality)) {
        return false;
    }
    savedPath = path;
    return true;
}

LocalTimeStamp CurrentLocalTimeStamp() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    LocalTimeStamp stamp;
    stamp.year = now.wYear;
    stamp.month = now.wMonth;
    stamp.day = now.wDay;
    stamp.hour = now.wHour;
    stamp.minute = now.wMinute;
    stamp.second = now.wSecond;
    stamp.milliseconds = now.wMilliseconds;
    return stamp;
}
