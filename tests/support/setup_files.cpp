#include "support/setup_files.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwctype>

#include "support/test_support.h"

namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool HasTimeStamp(const std::wstring& line) {
    const std::wstring shape = L"dddd-dd-dd dd:dd:dd ";
    if (line.size() < shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digitWanted = shape[i] == L'd';
        if (digitWanted ? !std::iswdigit(line[i]) : line[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::wstring SetupLogPath() {
    wchar_t localAppData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData);
    return std::wstring(localAppData) + L"\\Korvel\\setup.log";
}

int CountByteOrderMarks(const std::string& bytes) {
    int count = 0;
    for (size_t at = bytes.find(kBom); at != std::string::npos; at = bytes.find(kBom, at + 3)) {
        ++count;
    }
    return count;
}

std::vector<std::wstring> ReadSetupLogMessages() {
    std::string bytes = ReadFileBytes(SetupLogPath());
    if (bytes.compare(0, 3, kBom) == 0) {
        bytes.erase(0, 3);
    }
    std::vector<std::wstring> messages;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        const bool ended = end != std::string::npos;
        const std::wstring line = FromUtf8(bytes.substr(start, ended ? end - start : std::string::npos));
        const size_t stampLength = 20;
        messages.push_back(ended && HasTimeStamp(line) ? line.substr(stampLength) : L"?" + line);
        start = ended ? end + 2 : bytes.size();
    }
    return messages;
}

ComApartment::ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (started_) {
        CoUninitialize();
    }
}

ShortcutFields ReadShortcut(const std::wstring& file) {
    ShortcutFields fields;
    ComApartment com;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
                wchar_t text[MAX_PATH] = {};
                fields.loaded = true;
                if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) {
                    fields.path = text;
                }
                PIDLIST_ABSOLUTE items = nullptr;
                if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
                    text[0] = L'\0';
                    if (SHGetPathFromIDListW(items, text)) {
                        fields.target = text;
                    }
                    CoTaskMemFree(items);
                }
                text[0] = L'\0';
                if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) {
                    fields.workingDirectory = text;
                }
                text[0] = L'\0';
                if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) {
                    fields.description = text;
                }
            }
            persist->Release();
        }
        link->Release();
    }
    return fields;
}
