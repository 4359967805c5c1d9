// The characters the fields' own font draws, and the code each stands for, as the core's forms
// put them (tools/make-codes-font.py draws the font from this): every control picture and optical
// character recognition sign that a field shows or copies in place of a code without a glyph of
// its own. One line each, in hex: "2400 00".
#include "core/codepage.h"
#include "core/fieldtext.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

int main()
{
    using namespace Core;
    for (int code = 0; code < 256; ++code) {
        const char16_t c = CodePage::ToUnicode[code];
        char16_t shown[4];
        char16_t plain[4];
        char16_t encoded[4];
        const size_t shownLength = FieldText::ToDisplay(&c, 1, shown);
        // A code shown as itself has a glyph of its own, but for the controls (a tab).
        if (shownLength == 1 && shown[0] == c && code >= 0x20)
            continue;
        const size_t plainLength = FieldText::ToClipboard(&c, 1, FieldText::CopyForm::Plain, plain);
        const size_t encodedLength = FieldText::ToClipboard(&c, 1, FieldText::CopyForm::Encoded, encoded);
        char16_t signs[12];
        size_t count = 0;
        for (const auto &[form, length] : {std::pair {shown, shownLength}, std::pair {plain, plainLength},
                                           std::pair {encoded, encodedLength}}) {
            for (size_t i = 0; i < length; ++i) {
                const char16_t sign = form[i];
                const bool isSign = sign >= 0x2400 && sign < 0x2460;
                bool known = false;
                for (size_t j = 0; j < count; ++j)
                    known = known || signs[j] == sign;
                if (isSign && !known)
                    signs[count++] = sign;
            }
        }
        for (size_t j = 0; j < count; ++j)
            std::printf("%04X %02X\n", unsigned(signs[j]), unsigned(code));
    }
    return 0;
}
