#include "log/wide_printf.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr int kMaxCount = 100000;

enum class Length { None, Char, Short, Long, LongLong, Size, IntMax, PtrDiff, LongDouble, Wide };

struct Directive {
    std::wstring flags;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    Length length = Length::None;
    wchar_t conversion = 0;
};

bool IsFlag(wchar_t c) {
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0';
}

// Widths and precisions are held below a size that a buffer can take; no real format asks for more.
int Bounded(long long count) {
    return count > kMaxCount ? kMaxCount : static_cast<int>(count);
}

// Digits, or '*' taken from the arguments; false when neither is there.
bool ReadCount(const wchar_t*& at, va_list& args, int& value) {
    if (*at == L'*') {
        ++at;
        value = va_arg(args, int);
        return true;
    }
    if (*at < L'0' || *at > L'9') {
        return false;
    }
    value = 0;
    while (*at >= L'0' && *at <= L'9') {
        value = Bounded(static_cast<long long>(value) * 10 + (*at - L'0'));
        ++at;
    }
    return true;
}

Length ReadLength(const wchar_t*& at) {
    struct Prefix {
        const wchar_t* text;
        Length length;
    };
    // Longer prefixes first, so that "ll" is not read as "l".
    static const Prefix kPrefixes[] = {
        {L"I64", Length::LongLong}, {L"I32", Length::None},     {L"hh", Length::Char},
        {L"ll", Length::LongLong},  {L"I", Length::Size},       {L"h", Length::Short},
        {L"l", Length::Long},       {L"L", Length::LongDouble}, {L"z", Length::Size},
        {L"j", Length::IntMax},     {L"t", Length::PtrDiff},    {L"w", Length::Wide},
    };
    for (const Prefix& prefix : kPrefixes) {
        const size_t size = std::wcslen(prefix.text);
        if (std::wcsncmp(at, prefix.text, size) == 0) {
            at += size;
            return prefix.length;
        }
    }
    return Length::None;
}

// The C99 directive for one converted value: flags, width, precision, then `tail` (length and conversion).
std::wstring C99Directive(const Directive& directive, const wchar_t* tail) {
    std::wstring text = L"%" + directive.flags;
    if (directive.width >= 0) {
        text += std::to_wstring(directive.width);
    }
    if (directive.precision >= 0) {
        text += L"." + std::to_wstring(directive.precision);
    }
    return text + tail;
}

template <typename Value>
void AppendFormatted(std::wstring& out, const Directive& directive, const wchar_t* tail, Value value) {
    const std::wstring c99 = C99Directive(directive, tail);
    std::vector<wchar_t> buffer(static_cast<size_t>(directive.width > 0 ? directive.width : 0) +
                                static_cast<size_t>(directive.precision > 0 ? directive.precision : 0) + 512);
    const int written = std::swprintf(buffer.data(), buffer.size(), c99.c_str(), value);
    if (written > 0) {
        out.append(buffer.data(), static_cast<size_t>(written));
    }
}

void AppendSigned(std::wstring& out, const Directive& directive, va_list& args) {
    const wchar_t tail[] = {L'l', L'l', directive.conversion, L'\0'};
    switch (directive.length) {
    case Length::Char:
        AppendFormatted(out, directive, tail,
                        static_cast<long long>(static_cast<signed char>(va_arg(args, int))));
        break;
    case Length::Short:
        AppendFormatted(out, directive, tail, static_cast<long long>(static_cast<short>(va_arg(args, int))));
        break;
    case Length::Long:
        AppendFormatted(out, directive, tail, static_cast<long long>(va_arg(args, long)));
        break;
    case Length::LongLong:
        AppendFormatted(out, directive, tail, va_arg(args, long long));
        break;
    case Length::Size:
    case Length::PtrDiff:
        AppendFormatted(out, directive, tail, static_cast<long long>(va_arg(args, ptrdiff_t)));
        break;
    case Length::IntMax:
        AppendFormatted(out, directive, tail, static_cast<long long>(va_arg(args, intmax_t)));
        break;
    default:
        AppendFormatted(out, directive, tail, static_cast<long long>(va_arg(args, int)));
        break;
    }
}

void AppendUnsigned(std::wstring& out, const Directive& directive, va_list& args) {
    const wchar_t tail[] = {L'l', L'l', directive.conversion, L'\0'};
    switch (directive.length) {
    case Length::Char:
        AppendFormatted(out, directive, tail,
                        static_cast<unsigned long long>(static_cast<unsigned char>(va_arg(args, unsigned))));
        break;
    case Length::Short:
        AppendFormatted(out, directive, tail,
                        static_cast<unsigned long long>(static_cast<unsigned short>(va_arg(args, unsigned))));
        break;
    case Length::Long:
        AppendFormatted(out, directive, tail, static_cast<unsigned long long>(va_arg(args, unsigned long)));
        break;
    case Length::LongLong:
        AppendFormatted(out, directive, tail, va_arg(args, unsigned long long));
        break;
    case Length::Size:
    case Length::PtrDiff:
        AppendFormatted(out, directive, tail, static_cast<unsigned long long>(va_arg(args, size_t)));
        break;
    case Length::IntMax:
        AppendFormatted(out, directive, tail, static_cast<unsigned long long>(va_arg(args, uintmax_t)));
        break;
    default:
        AppendFormatted(out, directive, tail, static_cast<unsigned long long>(va_arg(args, unsigned)));
        break;
    }
}

void AppendFloating(std::wstring& out, const Directive& directive, va_list& args) {
    if (directive.length == Length::LongDouble) {
        const wchar_t tail[] = {L'L', directive.conversion, L'\0'};
        AppendFormatted(out, directive, tail, va_arg(args, long double));
    } else {
        const wchar_t tail[] = {directive.conversion, L'\0'};
        AppendFormatted(out, directive, tail, va_arg(args, double));
    }
}

// Narrow text is taken byte by byte as Latin-1, as the C locale would.
std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
    return wide;
}

// Text with its precision (most characters) and width (padding with spaces); no printf, so any length fits.
void AppendPaddedText(std::wstring& out, const Directive& directive, std::wstring text) {
    if (directive.precision >= 0 && text.size() > static_cast<size_t>(directive.precision)) {
        text.resize(static_cast<size_t>(directive.precision));
    }
    const size_t width = directive.width > 0 ? static_cast<size_t>(directive.width) : 0;
    const size_t padding = width > text.size() ? width - text.size() : 0;
    if (directive.flags.find(L'-') != std::wstring::npos) {
        out += text;
        out.append(padding, L' ');
    } else {
        out.append(padding, L' ');
        out += text;
    }
}

void AppendText(std::wstring& out, const Directive& directive, bool narrow, va_list& args) {
    if (narrow) {
        const char* value = va_arg(args, const char*);
        AppendPaddedText(out, directive, value != nullptr ? Widen(value) : L"(null)");
    } else {
        const wchar_t* value = va_arg(args, const wchar_t*);
        AppendPaddedText(out, directive, value != nullptr ? value : L"(null)");
    }
}

void AppendCharacter(std::wstring& out, const Directive& directive, bool narrow, va_list& args) {
    const int value = va_arg(args, int);
    const wchar_t character =
        narrow ? static_cast<wchar_t>(static_cast<unsigned char>(value)) : static_cast<wchar_t>(value);
    Directive asText = directive;
    asText.precision = -1;
    // A NUL character adds nothing.
    AppendPaddedText(out, asText, character != L'\0' ? std::wstring(1, character) : std::wstring());
}

void AppendPointer(std::wstring& out, va_list& args) {
    Directive directive;
    directive.flags = L"0";
    directive.width = static_cast<int>(sizeof(void*) * 2);
    AppendFormatted(out, directive, L"llX",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(args, void*))));
}

// Converts one value; false for an unknown conversion, which is then copied as it stands.
bool AppendConversion(std::wstring& out, const Directive& directive, va_list& args) {
    // %s and %c are wide unless "h" or "hh" makes them narrow; %S and %C narrow unless "l" or "w" makes them
    // wide.
    const bool narrowLength = directive.length == Length::Short || directive.length == Length::Char;
    const bool wideLength = directive.length == Length::Long || directive.length == Length::Wide;
    switch (directive.conversion) {
    case L'd':
    case L'i':
        AppendSigned(out, directive, args);
        return true;
    case L'u':
    case L'o':
    case L'x':
    case L'X':
        AppendUnsigned(out, directive, args);
        return true;
    case L'f':
    case L'F':
    case L'e':
    case L'E':
    case L'g':
    case L'G':
    case L'a':
    case L'A':
        AppendFloating(out, directive, args);
        return true;
    case L's':
        AppendText(out, directive, narrowLength, args);
        return true;
    case L'S':
        AppendText(out, directive, !wideLength, args);
        return true;
    case L'c':
        AppendCharacter(out, directive, narrowLength, args);
        return true;
    case L'C':
        AppendCharacter(out, directive, !wideLength, args);
        return true;
    case L'p':
        AppendPointer(out, args);
        return true;
    case L'n':
        // Writing through an argument is refused, as the Microsoft runtime refuses it by default.
        static_cast<void>(va_arg(args, void*));
        return true;
    case L'%':
        out.push_back(L'%');
        return true;
    default:
        return false;
    }
}

} // namespace

std::wstring FormatWideMicrosoftStyle(const wchar_t* format, va_list args) {
    std::wstring out;
    if (format == nullptr) {
        return out;
    }
    va_list rest;
    va_copy(rest, args);
    const wchar_t* at = format;
    while (*at != L'\0') {
        if (*at != L'%') {
            out.push_back(*at++);
            continue;
        }
        const wchar_t* start = at++;
        Directive directive;
        while (IsFlag(*at)) {
            directive.flags.push_back(*at++);
        }
        int count = 0;
        if (ReadCount(at, rest, count)) {
            // A negative width from '*' means left alignment.
            if (count < 0) {
                directive.flags.push_back(L'-');
            }
            directive.width = Bounded(count < 0 ? -static_cast<long long>(count) : count);
        }
        if (*at == L'.') {
            ++at;
            // "." alone is precision 0; a negative one from '*' counts as none.
            directive.precision = ReadCount(at, rest, count) ? (count < 0 ? -1 : Bounded(count)) : 0;
        }
        directive.length = ReadLength(at);
        directive.conversion = *at;
        if (directive.conversion == L'\0') {
            // Cut short at the end of the format: the text stays as it was written.
            out.append(start, static_cast<size_t>(at - start));
            break;
        }
        ++at;
        if (!AppendConversion(out, directive, rest)) {
            out.append(start, static_cast<size_t>(at - start));
        }
    }
    va_end(rest);
    return out;
}
