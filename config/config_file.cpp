#include "config/config_file.h"

#include <windows.h>

#include <string>

#include "config/config_text.h"
#include "config/hotkey_text.h"
#include "log/data_folder.h"
#include "log/log.h"

namespace {

// A larger file is not one that this program wrote; it is left alone rather than read into memory.
constexpr LONGLONG kMaxConfigBytes = 0x100000;

// The whole file, or false after logging why it could not be read.
bool ReadConfigBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogError(L"打开配置文件失败 path=%s err=%lu", path.c_str(), GetLastError());
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxConfigBytes) {
        const long long reported = size.QuadPart;
        LogError(L"配置文件大小异常 path=%s size=%lld", path.c_str(), reported);
        CloseHandle(file);
        return false;
    }
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        LogError(L"读取配置文件失败 path=%s err=%lu", path.c_str(), GetLastError());
        CloseHandle(file);
        return false;
    }
    bytes.resize(read);
    CloseHandle(file);
    return true;
}

// Malformed sequences become U+FFFD rather than failing the whole file. A file in UTF-16 would decode into
// lines that no key matches, so it is read as an empty text, with the line that says why.
std::wstring DecodeUtf8(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    if (StartsWithUtf16Bom(bytes)) {
        LogError(L"配置文件不是合法 UTF-8，err=%lu",
                 static_cast<unsigned long>(ERROR_NO_UNICODE_TRANSLATION));
        return {};
    }
    const int byteCount = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), byteCount, nullptr, 0);
    std::wstring text;
    if (length > 0) {
        text.assign(static_cast<size_t>(length), L'\0');
        if (MultiByteToWideChar(CP_UTF8, 0, bytes.data(), byteCount, &text[0], length) <= 0) {
            text.clear();
        }
    }
    if (text.empty()) {
        LogError(L"配置文件不是合法 UTF-8，err=%lu", GetLastError());
    }
    return text;
}

std::string EncodeUtf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int charCount = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), charCount, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), charCount, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

// Writes all of `data`, or logs what went wrong: the system's error code, or how much a short write took.
bool WriteAll(HANDLE file, const std::wstring& path, const char* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) {
        LogError(L"写入配置内容失败 path=%s err=%lu", path.c_str(), GetLastError());
        return false;
    }
    if (written != size) {
        // It reported success, so the last error code is an earlier call's (often CREATE_ALWAYS's 183).
        LogError(L"写入配置内容不完整 path=%s written=%lu size=%lu", path.c_str(), written, size);
        return false;
    }
    return true;
}

// Writes a record that has been validated already.
bool WriteConfigFile(const std::wstring& path, const std::wstring& folder, const AppConfig& copy) {
    if (!EnsureDirectory(folder)) {
        LogError(L"保存配置失败，数据目录不可用");
        return false;
    }
    const std::string bytes = EncodeUtf8(SerializeConfig(copy));

    // Rewritten in place; a write that fails part-way leaves a short file whose missing keys load as
    // defaults.
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogError(L"写入配置文件失败 path=%s err=%lu", path.c_str(), GetLastError());
        return false;
    }
    if (!WriteAll(file, path, kUtf8Bom, sizeof kUtf8Bom) ||
        !WriteAll(file, path, bytes.data(), static_cast<DWORD>(bytes.size()))) {
        CloseHandle(file);
        return false;
    }
    CloseHandle(file);

    LogInfo(L"已保存配置 path=%s saveDir=%s format=%d quality=%d toolbar=%d language=%d", path.c_str(),
            copy.saveDir.c_str(), static_cast<int>(copy.format), copy.jpegQuality, copy.toolbar ? 1 : 0,
            static_cast<int>(copy.language));
    return true;
}

} // namespace

std::wstring GetConfigPath() {
    return GetDataFolder() + L"\\config.ini";
}

bool LoadConfig(AppConfig& out) {
    return LoadConfigFrom(GetConfigPath(), out);
}

bool SaveConfig(const AppConfig& config) {
    // Repaired before the data folder is looked up, so the repair lines come before any line about it.
    AppConfig copy = config;
    ValidateConfig(copy);
    const std::wstring path = GetConfigPath();
    return WriteConfigFile(path, GetDataFolder(), copy);
}

bool LoadConfigFrom(const std::wstring& path, AppConfig& out) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        LogInfo(L"配置文件不存在，使用默认配置 path=%s", path.c_str());
        return false;
    }
    std::string bytes;
    if (!ReadConfigBytes(path, bytes)) {
        return false;
    }
    out = ConfigFromText(DecodeUtf8(WithoutUtf8Bom(bytes)));

    LogInfo(L"已读取配置 format=%d quality=%d path=%s toolbar=%d language=%d region=%s full=%s window=%s",
            static_cast<int>(out.format), out.jpegQuality, out.saveDir.c_str(), out.toolbar ? 1 : 0,
            static_cast<int>(out.language), DescribeHotkey(out.region).c_str(),
            DescribeHotkey(out.full).c_str(), DescribeHotkey(out.window).c_str());
    return true;
}

bool SaveConfigTo(const std::wstring& path, const std::wstring& folder, const AppConfig& config) {
    AppConfig copy = config;
    ValidateConfig(copy);
    return WriteConfigFile(path, folder, copy);
}
