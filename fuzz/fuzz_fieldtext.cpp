#include "fieldtext.h"
#include "fuzzinput.h"
#include "module1.h"

using namespace FieldText;
using FuzzInput::Check;

// Input: UTF-16 units, read once as a string the editor might hold and once, brought into the
// code page, as a field's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString any = FuzzInput::Units(data, size / 2);

    // Whatever is typed or pasted gives code page text, and showing that text again changes nothing.
    const QString text = FromDisplay(any);
    Check(FuzzInput::InCodePage(text), "text from any shown string is code page text");
    const QString shown = Normalize(any);
    Check(FromDisplay(shown) == text, "normalizing keeps the text");
    Check(Normalize(shown) == shown, "normalizing twice changes nothing");

    // Every code page text survives being shown, and what is shown holds no NUL and no CR.
    QString codePageText = any;
    for (QChar &c : codePageText)
        c = Module1::CodeToChar(std::uint8_t(Module1::CharCode(c)));
    const QString display = ToDisplay(codePageText);
    Check(FromDisplay(display) == codePageText, "text to display and back is the same text");
    Check(!display.contains(QChar(0)) && !display.contains(QLatin1Char('\r')), "no NUL or CR is shown");
    return 0;
}
