#pragma once

// Freestanding: the desktop program and the page's WebAssembly build this folder alike, so it
// needs nothing beyond the compiler's own headers and no allocation.
#include <stddef.h>
#include <stdint.h>

namespace Core {

// A constant table, as std::array would be where there is no standard library.
template<typename T, size_t N>
struct Table
{
    T items[N];

    constexpr const T &operator[](size_t i) const { return items[i]; }
    constexpr T &operator[](size_t i) { return items[i]; }
    static constexpr size_t size() { return N; }
};

namespace CodePage {

// Code page 1252 as a table from code to UTF-16. The five codes that the code page leaves
// undefined stand for the control characters of the same value, so every code has a
// character that converts back to it.
inline constexpr Table<char16_t, 256> ToUnicode = [] {
    Table<char16_t, 256> table {};
    for (int code = 0; code < 256; ++code)
        table[code] = char16_t(code);
    constexpr char16_t high[32] = {
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
inline constexpr uint8_t Substitute = '?';

// Every character the code page holds is below U+2123 (the trade mark sign, 153).
inline constexpr char16_t BeyondCodePage = 0x2123;

// The codes of the units below BeyondCodePage, Substitute where the code page has none: derived
// from ToUnicode, so that the two can never disagree. 8.5 KB, against 64 KB for every unit.
inline constexpr Table<uint8_t, BeyondCodePage> CodesBelowBeyond = [] {
    Table<uint8_t, BeyondCodePage> table {};
    for (size_t unit = 0; unit < table.size(); ++unit)
        table[unit] = Substitute;
    for (int code = 0; code < 256; ++code)
        table[ToUnicode[code]] = uint8_t(code);
    return table;
}();

// The code of a UTF-16 unit; Substitute where the code page has none.
constexpr uint8_t CodeOf(char16_t c)
{
    return c < BeyondCodePage ? CodesBelowBeyond[c] : Substitute;
}

// The capital of a UTF-16 unit (Unicode's simple case mapping, one unit for one), exactly where
// it matters to the key: for every unit whose capital the code page holds, and for the letters
// of the code page whose capital it does not (µ, ƒ), which must then count as Substitute. Any
// other unit is returned as it is, as the code page cannot hold it or its capital either way.
constexpr char16_t Capital(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return char16_t(c - 0x20);
    switch (c) {
    case 0xB5: // micro sign: Greek capital mu
        return 0x039C;
    case 0xFF: // ÿ
        return 0x0178;
    case 0x0131: // dotless i
        return u'I';
    case 0x0153: // œ
        return 0x0152;
    case 0x0161: // š
        return 0x0160;
    case 0x017E: // ž
        return 0x017D;
    case 0x017F: // long s
        return u'S';
    case 0x0192: // ƒ: Latin capital f with hook
        return 0x0191;
    default:
        return c;
    }
}

// The code a key character counts as: that of its capital.
constexpr uint8_t KeyCodeOf(char16_t c)
{
    return CodeOf(Capital(c));
}

} // namespace CodePage
} // namespace Core
