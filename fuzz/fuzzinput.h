#pragma once

#include "tests/support/testtext.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FuzzInput {

using TestText::InCodePage;

// count UTF-16 code units, little-endian, from data: any unit, unpaired surrogates included.
inline QString Units(const std::uint8_t *data, std::size_t count)
{
    QString text(qsizetype(count), Qt::Uninitialized);
    for (std::size_t i = 0; i < count; ++i)
        text[qsizetype(i)] = QChar(char16_t(data[2 * i] | data[2 * i + 1] << 8));
    return text;
}

// A broken property: say which, and crash so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char *property)
{
    std::fprintf(stderr, "broken property: %s\n", property);
    std::abort();
}

inline void Check(bool holds, const char *property)
{
    if (!holds)
        Fail(property);
}

} // namespace FuzzInput
