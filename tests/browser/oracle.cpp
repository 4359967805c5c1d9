// What the program makes of texts, for the page's test to compare the page with: each input line
// holds a text, a key and a pasted string, each as UTF-16 units in hex (4 digits each, "-" for an
// empty string); each output line is a JSON object of the answers by name, the same way:
//   encoded: EncryptText(text, key), or "!" and the error message; decoded: DecryptText likewise;
//   shown: ToDisplay(text); "plain copy" and "encoded copy": ToClipboard(text) in each form;
//   pasted: FromPasted(pasted); typed: Normalize(pasted); key: KeyAsCounted(key);
//   "from shown": FromDisplay(pasted).
// Each answer is flushed at once, so a test can ask one question at a time.
#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "window/errorreport.h"
#include "window/keyprompt.h"

#include <QJsonDocument>
#include <QJsonObject>
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
        const QJsonObject answers {
            {"encoded", result([&] { return Module1::EncryptText(text, key); })},
            {"decoded", result([&] { return Module1::DecryptText(text, key); })},
            {"shown", toHex(FieldText::ToDisplay(text))},
            {"plain copy", toHex(FieldText::ToClipboard(text, FieldText::CopyForm::Plain))},
            {"encoded copy", toHex(FieldText::ToClipboard(text, FieldText::CopyForm::Encoded))},
            {"pasted", toHex(FieldText::FromPasted(pasted))},
            {"typed", toHex(FieldText::Normalize(pasted))},
            {"key", toHex(KeyAsCounted(key))},
            {"from shown", toHex(FieldText::FromDisplay(pasted))},
        };
        out << QJsonDocument(answers).toJson(QJsonDocument::Compact) << Qt::endl;
    }
    return 0;
}
