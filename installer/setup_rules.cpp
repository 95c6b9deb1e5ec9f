#include "installer/setup_rules.h"

#include <cwchar>

namespace {

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Folds only A..Z, as _wcsicmp does in the C locale the installer runs in; compared up to the first NUL
// like it, so the answer is the same on every runtime.
bool SameIgnoringCase(const std::wstring& a, const wchar_t* b) {
    const wchar_t* x = a.c_str();
    while (*x != L'\0' && AsciiLower(*x) == AsciiLower(*b)) {
        ++x;
        ++b;
    }
    return AsciiLower(*x) == AsciiLower(*b);
}

} // namespace

InstallerSwitch MatchInstallerSwitch(const std::wstring& argument) {
    if (SameIgnoringCase(argument, L"/silent") || SameIgnoringCase(argument, L"/S") ||
        SameIgnoringCase(argument, L"/quiet")) {
        return InstallerSwitch::Silent;
    }
    if (SameIgnoringCase(argument, L"/uninstall")) {
        return InstallerSwitch::Uninstall;
    }
    return InstallerSwitch::Unknown;
}

InstallerOptions ParseInstallerArguments(const std::vector<std::wstring>& arguments,
                                         std::vector<std::wstring>& unknown) {
    InstallerOptions options;
    for (const std::wstring& argument : arguments) {
        switch (MatchInstallerSwitch(argument)) {
        case InstallerSwitch::Silent:
            options.silent = true;
            break;
        case InstallerSwitch::Uninstall:
            options.uninstall = true;
            break;
        case InstallerSwitch::Unknown:
            unknown.push_back(argument);
            break;
        }
    }
    return options;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L'\\' + name;
}

std::wstring FormatDecimal(std::uint32_t value) {
    wchar_t digits[16] = {};
    size_t at = sizeof digits / sizeof digits[0] - 1; // the last element stays the terminator
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(digits + at);
}

std::wstring FormatSetupLogLine(const SetupLogTime& time, const std::wstring& message) {
    wchar_t stamp[64] = {};
    std::swprintf(stamp, sizeof stamp / sizeof stamp[0], L"%04u-%02u-%02u %02u:%02u:%02u ", time.year,
                  time.month, time.day, time.hour, time.minute, time.second);
    return stamp + message + L"\r\n";
}
