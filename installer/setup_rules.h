#pragma once
// The installer's rules that need no system calls: its switches, paths, numbers, log lines and the way it
// starts the installed program. Plain wide strings and fixed buffers only: the installer links no C++
// library, so that it adds little to the program it carries.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The caption of the installer's message boxes, and the program file it installs.
constexpr wchar_t kInstallerCaption[] = L"KOR-VEL";
constexpr wchar_t kProgramFileName[] = L"Korvel.exe";

struct InstallerOptions {
    bool silent = false;    // no completion message, no program start, no failure message
    bool uninstall = false; // remove the installation instead of installing
};

enum class InstallerSwitch { Silent, Uninstall, Unknown };

// "/silent", "/S" and "/quiet" mean Silent, "/uninstall" means Uninstall; whole words in any case.
InstallerSwitch MatchInstallerSwitch(const wchar_t* argument);

// The options the arguments after the program name ask for, in any order and repetition; every argument
// that is no switch goes to onUnknown(argument) in the order given.
template <typename OnUnknown>
InstallerOptions ParseInstallerArguments(const wchar_t* const* arguments, int count, OnUnknown onUnknown) {
    InstallerOptions options;
    for (int i = 0; i < count; ++i) {
        switch (MatchInstallerSwitch(arguments[i])) {
        case InstallerSwitch::Silent:
            options.silent = true;
            break;
        case InstallerSwitch::Uninstall:
            options.uninstall = true;
            break;
        case InstallerSwitch::Unknown:
            onUnknown(arguments[i]);
            break;
        }
    }
    return options;
}

// A path the installer works with. The shell folders it starts from hold at most 260 characters and the
// names it adds are short; a path that would not fit is never cut, it comes back empty.
constexpr size_t kSetupPathChars = 1024;
struct SetupPath {
    wchar_t text[kSetupPathChars] = {};
    bool Empty() const { return text[0] == L'\0'; }
};

// Appends `text` to the terminated string in `buffer`, as much as fits; false when it had to be cut.
bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* text);

// folder + "\" + name; no second backslash after a folder that ends in one; the name alone without folder;
// empty when the result would not fit.
SetupPath JoinPath(const wchar_t* folder, const wchar_t* name);

// Where a new program is written before it takes the place of the one at `path`: beside it, under its name
// + ".new"; empty when that would not fit.
SetupPath TempPathBeside(const wchar_t* path);

// Decimal digits without sign, leading zeros or separators.
struct DecimalText {
    wchar_t text[12] = {};
};
DecimalText FormatDecimal(std::uint32_t value);

// "0x" and eight upper-case hexadecimal digits, as an HRESULT is shown.
struct HexText {
    wchar_t text[12] = {};
};
HexText FormatHex32(std::uint32_t value);

struct SetupLogTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// One line of setup.log with its CR LF; a longer message is cut before the line end.
constexpr size_t kSetupLogLineChars = 2048;
struct SetupLogLine {
    wchar_t text[kSetupLogLineChars] = {};
    size_t length = 0;
};

// "YYYY-MM-DD hh:mm:ss " + the parts one after another + CR LF. Line breaks and other control characters
// in the parts become spaces, so no text (a command-line argument, a path) can start a line of its own.
void FormatSetupLogLine(const SetupLogTime& time, std::initializer_list<const wchar_t*> parts,
                        SetupLogLine& line);

// The elevation of the installer's own token, as the system reports its type.
enum class TokenElevationKind { Default = 1, Full = 2, Limited = 3 };

struct TokenFacts {
    bool elevated = false;
    TokenElevationKind kind = TokenElevationKind::Default;
    bool desktopShellAnswered = false; // the signed-in user's desktop shell took the request
};

enum class ProgramStart {
    Directly,            // the installer's own token is unelevated: started as it is
    ThroughDesktopShell, // started by the desktop shell, with the signed-in user's unelevated token
    DirectlyElevated,    // no unelevated token to be had: started with the installer's elevated one
};

// How the installed program is started after a completed install.
ProgramStart ChooseProgramStart(const TokenFacts& facts);
