#pragma once

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
    static constexpr int Number = 6;

    OverflowError()
        : Error(Number, "desbordamiento")
    {
    }
};

} // namespace Module1
