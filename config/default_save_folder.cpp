#include "config/config.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

// The system's answers behind the default save folder; the choice among them is ChooseSaveFolder.
namespace {

// The Pictures folder, or empty when the shell cannot name it.
std::wstring ReadPicturesFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, 0, buffer))) {
        return {};
    }
    return buffer;
}

// %USERPROFILE%, or empty when unset. A value longer than the usual buffer is read again at its full size,
// since the first call then leaves the buffer without the value.
std::wstring ReadUserProfile() {
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    DWORD length = GetEnvironmentVariableW(L"USERPROFILE", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length, L'\0');
        length = GetEnvironmentVariableW(L"USERPROFILE", buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length >= buffer.size()) {
            return {};
        }
    }
    return std::wstring(buffer.data(), length);
}

} // namespace

std::wstring GetDefaultSaveFolder() {
    const std::wstring pictures = ReadPicturesFolder();
    // The environment is only consulted when the shell has no answer.
    return ChooseSaveFolder(pictures, pictures.empty() ? ReadUserProfile() : std::wstring());
}
