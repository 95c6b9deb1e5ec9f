#include "capture/save_rules.h"

#include "base/decimal_text.h"

namespace {

// The longest name that the former 128-character buffer held; only an absurd extension comes near it.
constexpr size_t kMaxFileNameChars = 127;

} // namespace

std::wstring TrimSaveFolder(const std::wstring& folder) {
    std::wstring trimmed = folder;
    // Stops at length 3 so that a drive root such as "C:\" keeps the separator that makes it the root.
    while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) {
        trimmed.pop_back();
    }
    return trimmed;
}

bool SaveFolderTooLong(const std::wstring& folder) {
    return TrimSaveFolder(folder).size() > kMaxSaveFolderChars;
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
    std::wstring name = L"Korvel_";
    AppendPaddedDecimal(name, time.year, 4);
    AppendPaddedDecimal(name, time.month, 2);
    AppendPaddedDecimal(name, time.day, 2);
    name += L'_';
    AppendPaddedDecimal(name, time.hour, 2);
    AppendPaddedDecimal(name, time.minute, 2);
    AppendPaddedDecimal(name, time.second, 2);
    name += L'_';
    AppendPaddedDecimal(name, time.milliseconds, 3);
    name += L'.';
    name += extension != nullptr ? extension : L"";
    if (name.size() > kMaxFileNameChars) {
        name.resize(kMaxFileNameChars);
    }
    return name;
}
