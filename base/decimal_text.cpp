#include "base/decimal_text.h"

void AppendPaddedDecimal(std::wstring& text, uint32_t value, int minDigits) {
    wchar_t digits[10] = {}; // 4294967295 has ten
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int padding = minDigits - count; padding > 0; --padding) {
        text.push_back(L'0');
    }
    while (count > 0) {
        text.push_back(digits[--count]);
    }
}
