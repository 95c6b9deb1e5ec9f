#include "config/config_text.h"

#include <cwchar>
#include <cwctype>

#include "log/log.h"
#include "markup/markup_model.h"

namespace {

constexpr int32_t kQualityFallback = 90;

std::wstring BoolText(bool value) {
    return value ? L"1" : L"0";
}

// The three keys of one shortcut; true when `key` was one of them.
bool ApplyBindingKey(HotkeyBinding& binding, const std::wstring& prefix, const std::wstring& key,
                     const std::wstring& value) {
    if (key.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const std::wstring suffix = key.substr(prefix.size());
    if (suffix == L"_mod") {
        binding.mod = static_cast<uint32_t>(ParseIntOr(value, 0));
    } else if (suffix == L"_vk") {
        binding.vk = static_cast<uint32_t>(ParseIntOr(value, 0));
    } else if (suffix == L"_enabled") {
        binding.enabled = ParseIntOr(value, 1) != 0;
    } else {
        return false;
    }
    return true;
}

void AppendBindingLines(std::wstring& text, const wchar_t* prefix, const HotkeyBinding& binding) {
    text += prefix + std::wstring(L"_mod=") + std::to_wstring(binding.mod) + L"\r\n";
    text += prefix + std::wstring(L"_vk=") + std::to_wstring(binding.vk) + L"\r\n";
    text += prefix + std::wstring(L"_enabled=") + BoolText(binding.enabled) + L"\r\n";
}

} // namespace

std::wstring TrimSpaces(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::iswspace(text[begin])) {
        ++begin;
    }
    while (end > begin && std::iswspace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

int32_t ParseIntOr(const std::wstring& text, int32_t fallback) {
    const wchar_t* start = text.c_str();
    wchar_t* end = nullptr;
    // Parsed as 64 bits whatever the width of long, then clamped, so that out-of-range values settle on the
    // 32-bit limits on every compiler.
    const long long value = std::wcstoll(start, &end, 10);
    if (end == start || static_cast<size_t>(end - start) != text.size()) {
        return fallback;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void ApplyConfigKey(AppConfig& config, const std::wstring& key, const std::wstring& value) {
    if (ApplyBindingKey(config.region, L"region", key, value) ||
        ApplyBindingKey(config.full, L"full", key, value) ||
        ApplyBindingKey(config.window, L"window", key, value)) {
        return;
    }
    if (key == L"format") {
        config.format = static_cast<ImageFormat>(ParseIntOr(value, 0));
    } else if (key == L"jpeg_quality") {
        config.jpegQuality = ParseIntOr(value, kQualityFallback);
    } else if (key == L"path") {
        config.saveDir = value;
    } else if (key == L"toolbar") {
        config.toolbar = ParseIntOr(value, 0) != 0;
    } else if (key == L"language") {
        config.language = static_cast<UiLanguage>(ParseIntOr(value, 0));
    } else if (key == L"markup_color") {
        config.markupColor = ParseIntOr(value, kDefaultColour);
    } else if (key == L"markup_width") {
        config.markupWidth = ParseIntOr(value, kDefaultWidthLevel);
    }
}

void ApplyConfigText(AppConfig& config, const std::wstring& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t lineEnd = text.find(L'\n', start);
        if (lineEnd == std::wstring::npos) {
            lineEnd = text.size();
        }
        // Trimming also drops the CR of a CR LF line end.
        const std::wstring line = TrimSpaces(text.substr(start, lineEnd - start));
        start = lineEnd + 1;

        if (line.empty() || line[0] == L'#' || line[0] == L';') {
            continue;
        }
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            LogError(L"配置行缺少等号：%s", line.c_str());
            continue;
        }
        ApplyConfigKey(config, TrimSpaces(line.substr(0, equals)), TrimSpaces(line.substr(equals + 1)));
    }
}

AppConfig ConfigFromText(const std::wstring& text) {
    // Keys missing from the text keep their defaults.
    AppConfig config = MakeDefaultConfig();
    ApplyConfigText(config, text);
    ValidateConfig(config);
    return config;
}

std::string WithoutUtf8Bom(const std::string& bytes) {
    if (bytes.size() >= sizeof kUtf8Bom &&
        bytes.compare(0, sizeof kUtf8Bom, kUtf8Bom, sizeof kUtf8Bom) == 0) {
        return bytes.substr(sizeof kUtf8Bom);
    }
    return bytes;
}

bool StartsWithUtf16Bom(const std::string& bytes) {
    return bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
}

std::wstring SerializeConfig(const AppConfig& config) {
    std::wstring text;
    AppendBindingLines(text, L"region", config.region);
    AppendBindingLines(text, L"full", config.full);
    AppendBindingLines(text, L"window", config.window);
    text += L"format=" + std::to_wstring(static_cast<int32_t>(config.format)) + L"\r\n";
    text += L"jpeg_quality=" + std::to_wstring(config.jpegQuality) + L"\r\n";
    text += L"path=" + config.saveDir + L"\r\n";
    text += L"toolbar=" + BoolText(config.toolbar) + L"\r\n";
    text += L"language=" + std::to_wstring(static_cast<int32_t>(config.language)) + L"\r\n";
    text += L"markup_color=" + std::to_wstring(config.markupColor) + L"\r\n";
    text += L"markup_width=" + std::to_wstring(config.markupWidth) + L"\r\n";
    return text;
}
