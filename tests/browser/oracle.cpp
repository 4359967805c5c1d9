// What the program makes of texts, for the page's test to compare the page with: each input line
// holds a text, a key and a pasted string, each as UTF-16 units in hex (4 digits each, "-" for an
// empty string); each output line holds, the same way:
//   EncryptText(text, key) or "!" and the error message, DecryptText(text, key) likewise,
//   ToDisplay(text), ToClipboard(text, Plain), ToClipboard(text, Encoded), FromPasted(pasted),
//   Normalize(pasted) (typed), KeyAsCounted(key), FromDisplay(pasted).
// Each answer is flushed at once, so a test can ask one question at a time.
#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "window/errorreport.h"
#include "window/keyprompt.h"

#include <QStringList>
#include <QTextStream>

#include <exception>

namespace {

QString fromHex(const QString &hex)
{
    QString text;
    if (hex == QLatin1String("-"))
        return text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUShort(nullptr, 16)));
    return text;
}

QString toHex(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("-");
    QString hex;
    for (QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return hex;
}

template<typename Action>
QString result(Action action)
{
    try {
        return toHex(action());
    } catch (...) {
        return QLatin1Char('!') + toHex(ErrorMessage(std::current_exception()));
    }
}

} // namespace

int main()
{
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 3)
            return 2;
        const QString text = fromHex(fields[0]);
        const QString key = fromHex(fields[1]);
        const QString pasted = fromHex(fields[2]);
        const QStringList results {
            result([&] { return Module1::EncryptText(text, key); }),
            result([&] { return Module1::DecryptText(text, key); }),
            toHex(FieldText::ToDisplay(text)),
            toHex(FieldText::ToClipboard(text, FieldText::CopyForm::Plain)),
            toHex(FieldText::ToClipboard(text, FieldText::CopyForm::Encoded)),
            toHex(FieldText::FromPasted(pasted)),
            toHex(FieldText::Normalize(pasted)),
            toHex(KeyAsCounted(key)),
            toHex(FieldText::FromDisplay(pasted)),
        };
        out << results.join(QLatin1Char(' ')) << Qt::endl;
    }
    return 0;
}
