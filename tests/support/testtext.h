#pragma once

#include "cipher/module1.h"

#include <QRandomGenerator>
#include <QString>

// Texts the tests feed to the cipher and the fields.
namespace TestText {

// Every character of code page 1252, in code order.
inline QString AllCodes()
{
    QString text;
    for (int code = 0; code < 256; ++code)
        text += Module1::CodeToChar(std::uint8_t(code));
    return text;
}

// text brought into code page 1252: each character as the one it counts as ('?' for one the code
// page cannot hold).
inline QString AsCounted(QString text)
{
    for (QChar &c : text)
        c = Module1::CodeToChar(std::uint8_t(Module1::CharCode(c)));
    return text;
}

// Whether every character of text is one of code page 1252.
inline bool InCodePage(const QString &text)
{
    return AsCounted(text) == text;
}

// length characters drawn evenly from code page 1252.
inline QString RandomCodePage(QRandomGenerator &random, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    for (QChar &c : text)
        c = Module1::CodeToChar(std::uint8_t(random.bounded(256)));
    return text;
}

// Code page text of up to maxLength characters, about half of them CR, LF, NUL, tab, DEL, the
// undefined codes and no-break spaces: what an editor is most likely to lose.
inline QString RandomControlRich(QRandomGenerator &random, int maxLength)
{
    static const QString rich = QStringLiteral("\r\n\r\n\0\t\x7f\u0081\u008d\u008f\u0090\u009d\u00a0");
    QString text;
    for (int i = random.bounded(maxLength + 1); i > 0; --i) {
        text += random.bounded(2) ? rich.at(random.bounded(rich.size()))
                                  : Module1::CodeToChar(std::uint8_t(random.bounded(256)));
    }
    return text;
}

} // namespace TestText
