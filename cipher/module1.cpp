#include "module1.h"

#include "codepage.h"
#include "transform.h"

namespace Module1 {

QString ResultText;
QString PlainText;
QString CipherText;
QString CipherKey;

namespace {

struct Cp1252
{
    const CodePage::FromUnicodeTable &fromUnicode = CodePage::FromUnicode();

    std::int16_t charCode(QChar c) const { return fromUnicode[c.unicode()]; }
    QChar codeToChar(std::uint8_t code) const { return QChar(CodePage::ToUnicode[code]); }
};

} // namespace

std::int16_t CharCode(QChar c)
{
    return CodePage::FromUnicode()[c.unicode()];
}

QChar CodeToChar(std::uint8_t code)
{
    return QChar(CodePage::ToUnicode[code]);
}

QString EncryptText(const QString &text, QString key)
{
    return Detail::Transform<Detail::Direction::Encrypt>(text, std::move(key), Cp1252 {});
}

QString DecryptText(const QString &text, QString key)
{
    return Detail::Transform<Detail::Direction::Decrypt>(text, std::move(key), Cp1252 {});
}

} // namespace Module1
