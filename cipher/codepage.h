#pragma once

#include <array>
#include <cstdint>

namespace Module1::CodePage {

// Code page 1252 as a table from code to UTF-16. The five codes that the code page leaves
// undefined stand for the control characters of the same value, so every code has a
// character that converts back to it.
inline constexpr std::array<char16_t, 256> ToUnicode = [] {
    std::array<char16_t, 256> table {};
    for (int code = 0; code < 256; ++code)
        table[code] = char16_t(code);
    constexpr std::array<char16_t, 32> high = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
    };
    for (int code = 0x80; code < 0xA0; ++code)
        table[code] = high[code - 0x80];
    return table;
}();

// What a character the code page cannot hold turns into.
inline constexpr std::uint8_t Substitute = '?';

// The reverse table, indexed by UTF-16 code unit; Substitute where the code page has no code.
using FromUnicodeTable = std::array<std::uint8_t, 0x10000>;
const FromUnicodeTable &FromUnicode();

} // namespace Module1::CodePage
