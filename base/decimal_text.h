#pragma once
// Decimal numbers in wide text without the C runtime's printf family, whose "%s" rules differ between
// runtimes: the same characters on every platform.
#include <cstdint>
#include <string>

// Appends `value` in decimal, with leading zeros up to `minDigits` digits, as "%0<minDigits>u" prints it.
void AppendPaddedDecimal(std::wstring& text, uint32_t value, int minDigits);
