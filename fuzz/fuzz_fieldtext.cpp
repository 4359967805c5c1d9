#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "fuzz/fuzzinput.h"

#include <algorithm>

using namespace FieldText;
using FuzzInput::Check;

// Input: UTF-16 units, read once as a string the editor might hold and once, brought into the
// code page, as a field's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString any = FuzzInput::Units(data, size / 2);

    // Whatever is typed or pasted gives code page text, and showing that text again changes nothing.
    Check(FuzzInput::InCodePage(FromDisplay(any)), "text from any shown string is code page text");
    Check(FuzzInput::InCodePage(FromPasted(any)), "text from any pasted string is code page text");
    Check(NormalizePasted(any) == ToDisplay(FromPasted(any)), "pasting shows the pasted text");
    const QString shown = Normalize(any);
    Check(FromDisplay(shown) == FromDisplay(any.normalized(QString::NormalizationForm_C)),
          "normalizing keeps the composed text");
    Check(Normalize(shown) == shown, "normalizing twice changes nothing");

    // Every code page text survives being shown, and what is shown holds no NUL and no CR.
    const QString codePageText = TestText::AsCounted(any);
    const QString display = ToDisplay(codePageText);
    Check(FromDisplay(display) == codePageText, "text to display and back is the same text");
    Check(!display.contains(QChar(0)) && !display.contains(QLatin1Char('\r')), "no NUL or CR is shown");
    for (CopyForm form : {CopyForm::Plain, CopyForm::Encoded}) {
        const QString copied = ToClipboard(codePageText, form);
        Check(FromPasted(copied) == codePageText, "text copied and pasted back is the same text");
        Check(!copied.contains(QChar(0)) && !copied.contains(QLatin1Char('\r')), "no NUL or CR is copied");
    }

    // An encoded copy holds no white space, and comes back from a road that wraps it into lines
    // (here every step characters, step taken from the input) and puts blank lines around it.
    const QString encoded = ToClipboard(codePageText, CopyForm::Encoded);
    Check(std::none_of(encoded.cbegin(), encoded.cend(), [](QChar c) { return c.isSpace(); }),
          "an encoded text is copied without white space");
    Check(std::none_of(encoded.cbegin(), encoded.cend(),
                       [](QChar c) {
                           return c.unicode() == 0xAD
                               || (c.unicode() < 0x80 && (c.isPunct() || c.isSymbol()));
                       }),
          "an encoded text is copied without a mark a formatter takes for markup or a soft hyphen");
    QString carried = QStringLiteral("\r\n \r\n");
    const qsizetype step = 1 + (size ? data[0] : 0);
    for (qsizetype i = 0; i < encoded.size(); i += step)
        carried += encoded.mid(i, step) + QStringLiteral(" \n");
    Check(FromPasted(carried) == codePageText, "a wrapped encoded copy reads back");
    return 0;
}
