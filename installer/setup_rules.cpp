#include "installer/setup_rules.h"

namespace {

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Folds only A..Z, as _wcsicmp does in the C locale the installer runs in; compared up to the first NUL
// like it, so the answer is the same on every runtime.
bool SameIgnoringCase(const wchar_t* a, const wchar_t* b) {
    while (*a != L'\0' && AsciiLower(*a) == AsciiLower(*b)) {
        ++a;
        ++b;
    }
    return AsciiLower(*a) == AsciiLower(*b);
}

size_t TextLength(const wchar_t* text) {
    size_t length = 0;
    while (text[length] != L'\0') {
        ++length;
    }
    return length;
}

// C0 and C1 controls, DEL, and the Unicode line and paragraph separators: whatever an editor or a log
// reader may take for the end of a line, or show as nothing.
bool BreaksTheLine(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

void AppendOnOneLine(SetupLogLine& line, const wchar_t* text, size_t end) {
    for (const wchar_t* c = text; *c != L'\0' && line.length < end; ++c) {
        line.text[line.length++] = BreaksTheLine(*c) ? L' ' : *c;
    }
}

// "%0<minDigits>u", where there is room.
void AppendPadded(SetupLogLine& line, unsigned value, size_t minDigits, size_t end) {
    const DecimalText decimal = FormatDecimal(value);
    for (size_t digits = TextLength(decimal.text); digits < minDigits; ++digits) {
        AppendOnOneLine(line, L"0", end);
    }
    AppendOnOneLine(line, decimal.text, end);
}

} // namespace

InstallerSwitch MatchInstallerSwitch(const wchar_t* argument) {
    if (SameIgnoringCase(argument, L"/silent") || SameIgnoringCase(argument, L"/S") ||
        SameIgnoringCase(argument, L"/quiet")) {
        return InstallerSwitch::Silent;
    }
    if (SameIgnoringCase(argument, L"/uninstall")) {
        return InstallerSwitch::Uninstall;
    }
    return InstallerSwitch::Unknown;
}

bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* text) {
    if (capacity == 0) {
        return text[0] == L'\0';
    }
    size_t at = TextLength(buffer);
    for (; *text != L'\0'; ++text) {
        if (at + 1 >= capacity) {
            buffer[at] = L'\0';
            return false;
        }
        buffer[at++] = *text;
    }
    buffer[at] = L'\0';
    return true;
}

SetupPath JoinPath(const wchar_t* folder, const wchar_t* name) {
    SetupPath path;
    const size_t folderLength = TextLength(folder);
    const bool separated = folderLength == 0 || folder[folderLength - 1] == L'\\';
    if (!AppendText(path.text, kSetupPathChars, folder) ||
        !AppendText(path.text, kSetupPathChars, separated ? L"" : L"\\") ||
        !AppendText(path.text, kSetupPathChars, name)) {
        return SetupPath();
    }
    return path;
}

SetupPath TempPathBeside(const wchar_t* path) {
    SetupPath temp;
    if (!AppendText(temp.text, kSetupPathChars, path) || !AppendText(temp.text, kSetupPathChars, L".new")) {
        return SetupPath();
    }
    return temp;
}

DecimalText FormatDecimal(std::uint32_t value) {
    wchar_t reversed[12] = {};
    int count = 0;
    do {
        reversed[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    DecimalText decimal;
    for (int i = 0; i < count; ++i) {
        decimal.text[i] = reversed[count - 1 - i];
    }
    return decimal;
}

HexText FormatHex32(std::uint32_t value) {
    const wchar_t digits[] = L"0123456789ABCDEF";
    HexText hex;
    hex.text[0] = L'0';
    hex.text[1] = L'x';
    for (int i = 0; i < 8; ++i) {
        hex.text[2 + i] = digits[(value >> (28 - 4 * i)) & 0xF];
    }
    return hex;
}

void FormatSetupLogLine(const SetupLogTime& time, std::initializer_list<const wchar_t*> parts,
                        SetupLogLine& line) {
    // Room is kept for CR LF and the terminator, so an over-long message never swallows its line end.
    const size_t end = kSetupLogLineChars - 3;
    line.length = 0;
    // "%04u-%02u-%02u %02u:%02u:%02u "
    const unsigned fields[] = {time.year, time.month, time.day, time.hour, time.minute, time.second};
    const wchar_t* const after[] = {L"-", L"-", L" ", L":", L":", L" "};
    for (size_t i = 0; i < 6; ++i) {
        AppendPadded(line, fields[i], i == 0 ? 4 : 2, end);
        AppendOnOneLine(line, after[i], end);
    }
    for (const wchar_t* part : parts) {
        AppendOnOneLine(line, part != nullptr ? part : L"", end);
    }
    line.text[line.length++] = L'\r';
    line.text[line.length++] = L'\n';
    line.text[line.length] = L'\0';
}

ProgramStart ChooseProgramStart(const TokenFacts& facts) {
    if (!facts.elevated && facts.kind != TokenElevationKind::Full) {
        return ProgramStart::Directly;
    }
    // Only a full token of a split pair has an unelevated twin, which the signed-in user's shell runs
    // with. Without one (UAC off, the built-in Administrator) the shell holds the same rights as the
    // installer, and going through it would change nothing.
    if (facts.kind == TokenElevationKind::Full && facts.desktopShellAnswered) {
        return ProgramStart::ThroughDesktopShell;
    }
    return ProgramStart::DirectlyElevated;
}
