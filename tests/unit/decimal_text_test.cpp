#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/decimal_text.h"

TEST(DecimalText, PadsWithZerosAndNeverCuts) {
    struct Case {
        uint32_t value;
        int minDigits;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, 4, L"0000"},
        {7, 2, L"07"},
        {59, 2, L"59"},
        {999, 4, L"0999"},
        {12345, 4, L"12345"},
        {0, 0, L"0"},
        {5, -3, L"5"},
        {47, 3, L"047"},
        {4294967295u, 2, L"4294967295"},
        {1000000000u, 12, L"001000000000"},
    };
    for (const Case& c : cases) {
        std::wstring text = L"x";
        AppendPaddedDecimal(text, c.value, c.minDigits);
        EXPECT_EQ(std::wstring(L"x") + c.expected, text) << c.value << " in " << c.minDigits;
    }
}
