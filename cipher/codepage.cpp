#include "codepage.h"

namespace Module1::CodePage {

const FromUnicodeTable &FromUnicode()
{
    // Derived from ToUnicode so that the two can never disagree.
    static const FromUnicodeTable table = [] {
        FromUnicodeTable t;
        t.fill(Substitute);
        for (int code = 0; code < 256; ++code)
            t[ToUnicode[code]] = std::uint8_t(code);
        return t;
    }();
    return table;
}

} // namespace Module1::CodePage
