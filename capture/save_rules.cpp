#include "capture/save_rules.h"

#include <cstdio>
#include <cwchar>

std::wstring TrimSaveFolder(const std::wstring& folder) {
    std::wstring trimmed = folder;
    // Stops at length 3 so that a drive root such as "C:\" keeps the separator that makes it the root.
    while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) {
        trimmed.pop_back();
    }
    return trimmed;
}

const wchar_t* ImageExtension(int format) {
    return format == 1 ? L"jpg" : L"png";
}

uint32_t ClampJpegQuality(int quality) {
    if (quality < 1) {
        return 1;
    }
    if (quality > 100) {
        return 100;
    }
    return static_cast<uint32_t>(quality);
}

std::wstring CaptureFileName(const LocalTimeStamp& time, const wchar_t* extension) {
    // The runtime's own secure formatter, as the log uses: "%s" is a wide string under both toolchains.
    wchar_t buffer[128] = {};
    _snwprintf_s(buffer, 128, _TRUNCATE, L"Korvel_%04u%02u%02u_%02u%02u%02u_%03u.%s", time.year, time.month,
                 time.day, time.hour, time.minute, time.second, time.milliseconds,
                 extension != nullptr ? extension : L"");
    return std::wstring(buffer);
}
