#pragma once

#include "core/wording.h"

#include <cstddef>
#include <stdexcept>

namespace Module1 {

// A run-time failure with the error number the user is told about.
class Error : public std::runtime_error
{
public:
    Error(int number, const char *description)
        : std::runtime_error(description)
        , m_number(number)
    {
    }

    int number() const noexcept { return m_number; }

private:
    int m_number;
};

// A checked 16-bit integer operation left the range -32768..32767.
class OverflowError : public Error
{
public:
    static constexpr int Number = Wording::OverflowNumber;

    // textLength: the length of the text whose count overflowed, when that was the cause.
    explicit OverflowError(std::ptrdiff_t textLength = -1)
        : Error(Number, Wording::OverflowDescription)
        , m_textLength(textLength)
    {
    }

    // The length of the text that was too long, or -1 when a sum overflowed instead.
    std::ptrdiff_t textLength() const noexcept { return m_textLength; }

private:
    std::ptrdiff_t m_textLength;
};

} // namespace Module1
