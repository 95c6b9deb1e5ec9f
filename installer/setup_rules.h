#pragma once
// The installer's rules that need no system calls: its switches, path joining, numbers and log lines.
#include <cstdint>
#include <string>
#include <vector>

// The caption of the installer's message boxes, and the program file it installs.
constexpr wchar_t kInstallerCaption[] = L"KOR-VEL";
constexpr wchar_t kProgramFileName[] = L"Korvel.exe";

struct InstallerOptions {
    bool silent = false;    // no completion message, no program start, no failure message
    bool uninstall = false; // remove the installation instead of installing
};

enum class InstallerSwitch { Silent, Uninstall, Unknown };

// "/silent", "/S" and "/quiet" mean Silent, "/uninstall" means Uninstall; whole words in any case.
InstallerSwitch MatchInstallerSwitch(const std::wstring& argument);

// The options the arguments after the program name ask for, in any order and repetition; every argument
// that is no switch goes to `unknown` in the order given.
InstallerOptions ParseInstallerArguments(const std::vector<std::wstring>& arguments,
                                         std::vector<std::wstring>& unknown);

// folder + "\" + name; no second backslash after a folder that ends in one; the name alone without folder.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// Decimal digits without sign, leading zeros or separators.
std::wstring FormatDecimal(std::uint32_t value);

struct SetupLogTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "YYYY-MM-DD hh:mm:ss message" and CR LF: one line of setup.log.
std::wstring FormatSetupLogLine(const SetupLogTime& time, const std::wstring& message);
